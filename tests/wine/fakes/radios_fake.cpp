// The runtime class Windows.Devices.Radios.Radio of the test PC, activated through the
// registry like any in-process runtime class: a WiFi radio over the adapter's PHYs and the
// Bluetooth radio, whose operations finish at once unless the test makes them hang or
// has the user refuse access.
#include <atomic>
#include <cstring>
#include <new>
#include <type_traits>

#include "platform/win32/winrt_radios.h"

#include "fake_pc.h"

namespace {

using namespace velk::win32::winrt;

constexpr GUID kIID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIID_IInspectable = {
    0xAF86E2E0, 0xB12D, 0x4C6A, {0x9C, 0x5A, 0xD7, 0xAA, 0x65, 0x10, 0x1E, 0x90}};
constexpr GUID kIID_IAgileObject = {
    0x94EA2B94, 0xE9CC, 0x49E0, {0xC0, 0xFF, 0xEE, 0x64, 0xCA, 0x8F, 0x5B, 0x90}};

// What IInspectable adds to IUnknown, the same for every object here.
template <typename Base>
struct Object : Base {
    std::atomic<ULONG> refs{1};
    virtual ~Object() = default;
    virtual void* Find(const GUID& iid) {
        if (iid == kIID_IUnknown || iid == kIID_IInspectable || iid == kIID_IAgileObject)
            return static_cast<Base*>(this);
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = Find(iid);
        if (!*out)
            return E_NOINTERFACE;
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs;
        if (n == 0)
            delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetIids(ULONG* count, IID** iids) override {
        *count = 0;
        *iids = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* name) override {
        *name = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* level) override {
        *level = BaseTrust;
        return S_OK;
    }
};

// An operation with its result, finished at once or never (until cancelled).
template <typename T>
struct Operation : Object<IAsyncOperation<T>> {
    struct Info : IAsyncInfo {
        Operation* op;
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
            return op->QueryInterface(iid, out);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return op->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return op->Release(); }
        HRESULT STDMETHODCALLTYPE GetIids(ULONG* c, IID** i) override { return op->GetIids(c, i); }
        HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING* n) override {
            return op->GetRuntimeClassName(n);
        }
        HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel* l) override {
            return op->GetTrustLevel(l);
        }
        HRESULT STDMETHODCALLTYPE get_Id(std::uint32_t* id) override {
            *id = 1;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE get_Status(AsyncStatus* status) override {
            *status = op->status;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* error) override {
            *error = S_OK;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Cancel() override {
            fakepc::Log("Radio operation cancelled");
            if (op->status == AsyncStatus::Started)
                op->status = AsyncStatus::Canceled;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
    } info;
    AsyncStatus status;
    T result;

    Operation(T value, bool hang)
        : status(hang ? AsyncStatus::Started : AsyncStatus::Completed), result(value) {
        info.op = this;
    }
    ~Operation() override {
        if constexpr (std::is_pointer_v<T>) {
            if (result)
                result->Release();
        }
    }
    void* Find(const GUID& iid) override {
        if (iid == kIID_IAsyncInfo)
            return static_cast<IAsyncInfo*>(&info);
        return Object<IAsyncOperation<T>>::Find(iid);
    }
    HRESULT STDMETHODCALLTYPE put_Completed(IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) override {
        *handler = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetResults(T* out) override {
        if (status != AsyncStatus::Completed)
            return static_cast<HRESULT>(0x8000000EL);  // not finished: an illegal call
        *out = result;
        if constexpr (std::is_pointer_v<T>) {
            if (result)
                result->AddRef();
        }
        return S_OK;
    }
};

bool Hangs(DWORD bit) {
    return (fakepc::Get(L"RadiosHang") & bit) != 0;
}

struct Radio : Object<IRadio> {
    RadioKind kind;
    explicit Radio(RadioKind k) : kind(k) {}
    void* Find(const GUID& iid) override {
        if (iid == kIID_IRadio)
            return static_cast<IRadio*>(this);
        return Object<IRadio>::Find(iid);
    }
    const char* Name() const { return kind == RadioKind::WiFi ? "WiFi" : "Bluetooth"; }

    RadioState Current() const {
        if (kind == RadioKind::WiFi) {
            const DWORD all = (1u << fakepc::Get(L"WifiPhys")) - 1;
            const DWORD hardware = fakepc::Get(L"WifiHardware") & all;
            if (!hardware)
                return RadioState::Disabled;
            return (fakepc::Get(L"WifiSoftware") & hardware) ? RadioState::On : RadioState::Off;
        }
        if (fakepc::Get(L"BtHeld"))
            return RadioState::Disabled;
        return fakepc::Get(L"BtPower") ? RadioState::On : RadioState::Off;
    }

    HRESULT STDMETHODCALLTYPE SetStateAsync(RadioState value,
                                            IAsyncOperation<RadioAccessStatus>** out) override {
        fakepc::Log("Radio.SetStateAsync %s %s", Name(),
                    value == RadioState::On    ? "on"
                    : value == RadioState::Off ? "off"
                                               : "other");
        RadioAccessStatus status = RadioAccessStatus::Allowed;
        if (Current() == RadioState::Disabled) {
            status = RadioAccessStatus::DeniedBySystem;
        } else if (fakepc::Get(L"RadiosRefuse")) {
            status = RadioAccessStatus::DeniedByUser;
        } else if (kind == RadioKind::WiFi) {
            const DWORD hardware = fakepc::Get(L"WifiHardware");
            const DWORD software = fakepc::Get(L"WifiSoftware");
            fakepc::Set(L"WifiSoftware",
                        value == RadioState::On ? (software | hardware) : (software & ~hardware));
        } else {
            fakepc::Set(L"BtPower", value == RadioState::On ? 1 : 0);
            if (value != RadioState::On) {
                fakepc::Set(L"BtConnectable", 0);
                fakepc::Set(L"BtDiscoverable", 0);
            }
        }
        *out = new Operation<RadioAccessStatus>(status, Hangs(1));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_StateChanged(IUnknown*, EventToken* token) override {
        token->value = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_StateChanged(EventToken) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_State(RadioState* value) override {
        while (Hangs(4))
            ::Sleep(5);
        *value = Current();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Name(HString* value) override {
        *value = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Kind(RadioKind* value) override {
        *value = kind;
        return S_OK;
    }
};

struct RadioList : Object<IVectorView<IRadio*>> {
    IRadio* items[2] = {};
    std::uint32_t size = 0;
    ~RadioList() override {
        for (std::uint32_t i = 0; i < size; ++i)
            items[i]->Release();
    }
    HRESULT STDMETHODCALLTYPE GetAt(std::uint32_t index, IRadio** item) override {
        if (index >= size)
            return static_cast<HRESULT>(0x8000000BL);  // out of bounds
        *item = items[index];
        (*item)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Size(std::uint32_t* out) override {
        *out = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IndexOf(IRadio*, std::uint32_t*, ::boolean*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetMany(std::uint32_t, std::uint32_t, IRadio**,
                                      std::uint32_t*) override {
        return E_NOTIMPL;
    }
};

// The activation factory with the class's static members.
struct Statics : Object<IRadioStatics> {
    void* Find(const GUID& iid) override {
        if (iid == kIID_IRadioStatics)
            return static_cast<IRadioStatics*>(this);
        return Object<IRadioStatics>::Find(iid);
    }
    HRESULT STDMETHODCALLTYPE
    GetRadiosAsync(IAsyncOperation<IVectorView<IRadio*>*>** out) override {
        fakepc::Log("Radio.GetRadiosAsync");
        auto* list = new RadioList;
        if (fakepc::Get(L"WifiPhys"))
            list->items[list->size++] = new Radio(RadioKind::WiFi);
        if (fakepc::Get(L"BtPresent"))
            list->items[list->size++] = new Radio(RadioKind::Bluetooth);
        *out = new Operation<IVectorView<IRadio*>*>(list, Hangs(2));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDeviceSelector(HString* selector) override {
        *selector = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FromIdAsync(HString, IAsyncOperation<IRadio*>**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE
    RequestAccessAsync(IAsyncOperation<RadioAccessStatus>** out) override {
        fakepc::Log("Radio.RequestAccessAsync");
        *out = new Operation<RadioAccessStatus>(fakepc::Get(L"RadiosRefuse")
                                                    ? RadioAccessStatus::DeniedByUser
                                                    : RadioAccessStatus::Allowed,
                                                Hangs(8));
        return S_OK;
    }
};

}  // namespace

// The runtime only asks the object it is given for the interface its caller wants; the
// class has no instances to activate, so the object offers its static members alone.
extern "C" HRESULT WINAPI DllGetActivationFactory(HSTRING, IInspectable** factory) {
    fakepc::Log("DllGetActivationFactory");
    *factory = new Statics;
    return S_OK;
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return S_FALSE;
}

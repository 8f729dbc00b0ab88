#include <cwchar>

#include "platform/win32/radio_manager.h"

namespace velk::win32 {
namespace {

bool Reached(::ULONGLONG deadline) {
    return ::GetTickCount64() >= deadline;
}

std::optional<RadioKind> KindOf(winrt::RadioKind kind) {
    switch (kind) {
        case winrt::RadioKind::WiFi:
            return RadioKind::WiFi;
        case winrt::RadioKind::Bluetooth:
            return RadioKind::Bluetooth;
        default:
            return std::nullopt;
    }
}

}  // namespace

WinRtRadioManager::~WinRtRadioManager() {
    Forget();
    statics_.reset();
    if (initialized_ && roUninitialize_)
        roUninitialize_();
}

RadioPower WinRtRadioManager::Power(RadioKind kind) {
    const ::ULONGLONG deadline = ::GetTickCount64() + boundMs_;
    if (!Ready(deadline))
        return RadioPower::Unknown;
    bool any = false, on = false, switchable = false;
    for (winrt::IRadio* radio : Radios(kind)) {
        winrt::RadioState state = winrt::RadioState::Unknown;
        if (FAILED(radio->get_State(&state))) {
            Forget();
            return RadioPower::Unknown;
        }
        any = true;
        on = on || state == winrt::RadioState::On;
        switchable = switchable || state == winrt::RadioState::Off;
    }
    if (!any)
        return RadioPower::Unknown;
    return on ? RadioPower::On : switchable ? RadioPower::Off : RadioPower::HeldOff;
}

::DWORD WinRtRadioManager::SetPower(RadioKind kind, bool on) {
    const ::ULONGLONG deadline = ::GetTickCount64() + boundMs_;
    if (!Ready(deadline))
        return ERROR_DEV_NOT_EXIST;
    const std::vector<winrt::IRadio*> radios = Radios(kind);
    if (radios.empty())
        return ERROR_DEV_NOT_EXIST;
    const winrt::RadioState target = on ? winrt::RadioState::On : winrt::RadioState::Off;
    bool switchable = false;
    bool forget = false;
    ::DWORD rc = ERROR_SUCCESS;
    for (winrt::IRadio* radio : radios) {
        winrt::RadioState state = winrt::RadioState::Unknown;
        if (FAILED(radio->get_State(&state))) {
            rc = ERROR_GEN_FAILURE;
            forget = true;
            break;
        }
        // A radio off by its switch or by the system (flight mode) is left as it is.
        if (state != winrt::RadioState::On && state != winrt::RadioState::Off)
            continue;
        switchable = true;
        if (state == target)
            continue;
        if (!accessAsked_) {
            // Asked once: desktop programs are normally allowed, and the answer of each
            // switch says so again.
            accessAsked_ = true;
            winrt::ComPtr<winrt::IAsyncOperation<winrt::RadioAccessStatus>> access;
            if (SUCCEEDED(statics_->RequestAccessAsync(access.put())) && access &&
                !Wait(access.get(), deadline)) {
                rc = ERROR_TIMEOUT;
                forget = true;
                break;
            }
        }
        winrt::ComPtr<winrt::IAsyncOperation<winrt::RadioAccessStatus>> operation;
        if (FAILED(radio->SetStateAsync(target, operation.put())) || !operation) {
            rc = ERROR_GEN_FAILURE;
            forget = true;
            break;
        }
        if (!Wait(operation.get(), deadline)) {
            rc = ERROR_TIMEOUT;
            forget = true;
            break;
        }
        winrt::RadioAccessStatus status = winrt::RadioAccessStatus::Unspecified;
        if (FAILED(operation->GetResults(&status)) || status != winrt::RadioAccessStatus::Allowed)
            rc = ERROR_ACCESS_DENIED;
    }
    if (forget)
        Forget();
    if (rc != ERROR_SUCCESS)
        return rc;
    // Switching on radios that are all held off fails; they are off as asked otherwise.
    return switchable || !on ? ERROR_SUCCESS : ERROR_NOT_READY;
}

bool WinRtRadioManager::Ready(::ULONGLONG deadline) {
    if (resting_) {
        if (!Reached(restUntil_))
            return false;
        resting_ = false;
    }
    if (!tried_) {
        tried_ = true;
        available_ = Activate();
    }
    if (!available_)
        return false;
    if (!lookedUp_ && !LookUp(deadline)) {
        Forget();
        return false;
    }
    return true;
}

bool WinRtRadioManager::Activate() {
    combase_ = LoadSystemLibrary(L"combase.dll");
    // The runtime keeps the thread's apartment and the objects it handed out: once used it
    // stays loaded for the process's life, like a library the program links.
    ::HMODULE pinned = nullptr;
    if (combase_)
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"combase.dll", &pinned);
    const auto roInitialize = FindFunction<winrt::RoInitializeFn>(combase_, "RoInitialize");
    roUninitialize_ = FindFunction<winrt::RoUninitializeFn>(combase_, "RoUninitialize");
    const auto getFactory =
        FindFunction<winrt::RoGetActivationFactoryFn>(combase_, "RoGetActivationFactory");
    const auto createString =
        FindFunction<winrt::WindowsCreateStringFn>(combase_, "WindowsCreateString");
    const auto deleteString =
        FindFunction<winrt::WindowsDeleteStringFn>(combase_, "WindowsDeleteString");
    if (!roInitialize || !roUninitialize_ || !getFactory || !createString || !deleteString) {
        combase_.reset();
        return false;
    }
    // The thread may already belong to an apartment; the runtime then works in that one.
    const ::HRESULT init = roInitialize(winrt::RoInitType::MultiThreaded);
    if (SUCCEEDED(init))
        initialized_ = true;
    else if (init != RPC_E_CHANGED_MODE)
        return false;
    winrt::HString name = nullptr;
    if (FAILED(createString(winrt::kRadioClass,
                            static_cast<std::uint32_t>(std::wcslen(winrt::kRadioClass)), &name)))
        return false;
    const ::HRESULT hr =
        getFactory(name, winrt::kIID_IRadioStatics, reinterpret_cast<void**>(statics_.put()));
    deleteString(name);
    return SUCCEEDED(hr) && statics_;
}

bool WinRtRadioManager::LookUp(::ULONGLONG deadline) {
    winrt::ComPtr<winrt::IAsyncOperation<winrt::IVectorView<winrt::IRadio*>*>> operation;
    if (FAILED(statics_->GetRadiosAsync(operation.put())) || !operation)
        return false;
    if (!Wait(operation.get(), deadline))
        return false;
    winrt::ComPtr<winrt::IVectorView<winrt::IRadio*>> list;
    if (FAILED(operation->GetResults(list.put())) || !list)
        return false;
    std::uint32_t size = 0;
    if (FAILED(list->get_Size(&size)))
        return false;
    radios_.clear();
    for (std::uint32_t i = 0; i < size; ++i) {
        winrt::ComPtr<winrt::IRadio> radio;
        winrt::RadioKind kind = winrt::RadioKind::Other;
        if (FAILED(list->GetAt(i, radio.put())) || !radio || FAILED(radio->get_Kind(&kind)))
            return false;
        if (const auto known = KindOf(kind))
            radios_.push_back({std::move(radio), *known});
    }
    lookedUp_ = true;
    return true;
}

void WinRtRadioManager::Forget() {
    radios_.clear();
    lookedUp_ = false;
}

bool WinRtRadioManager::Wait(::IInspectable* operation, ::ULONGLONG deadline) {
    winrt::ComPtr<winrt::IAsyncInfo> info;
    if (FAILED(operation->QueryInterface(winrt::kIID_IAsyncInfo,
                                         reinterpret_cast<void**>(info.put()))) ||
        !info)
        return false;
    // Polled without dispatching messages: the program's own window procedures never run
    // inside a switch.
    for (;;) {
        winrt::AsyncStatus status = winrt::AsyncStatus::Error;
        if (FAILED(info->get_Status(&status)))
            return false;
        if (status == winrt::AsyncStatus::Completed)
            return true;
        if (status != winrt::AsyncStatus::Started)
            return false;
        if (Reached(deadline)) {
            info->Cancel();
            resting_ = true;
            restUntil_ = ::GetTickCount64() + kRestMs;
            return false;
        }
        ::Sleep(1);
    }
}

std::vector<winrt::IRadio*> WinRtRadioManager::Radios(RadioKind kind) const {
    std::vector<winrt::IRadio*> out;
    for (const KnownRadio& radio : radios_)
        if (radio.kind == kind)
            out.push_back(radio.radio.get());
    return out;
}

}  // namespace velk::win32

#include "platform/power.h"

#include "platform/win32/desktop_wifi.h"

namespace velk::win32 {
namespace {

// The device class of NDIS miniports, as the start of a power manager's device name.
constexpr char16_t kNdisClass[] = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\";

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Memory the Native WiFi API handed out, given back with its own function.
template <typename T>
class WlanMemory {
  public:
    explicit WlanMemory(void (*free)(void*)) : free_(free) {}
    ~WlanMemory() {
        if (p_)
            free_(p_);
    }
    WlanMemory(const WlanMemory&) = delete;
    WlanMemory& operator=(const WlanMemory&) = delete;
    T* get() const { return p_; }
    T** put() { return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(&p_); }

  private:
    void (*free_)(void*);
    T* p_ = nullptr;
};

}  // namespace

DesktopWifi::~DesktopWifi() {
    CloseClient();
}

bool DesktopWifi::IsWlanDevice(const char16_t* device) {
    if (!device)
        return false;
    const char16_t* p = device;
    for (const char16_t* c = kNdisClass; *c; ++c, ++p)
        if (Upper(*p) != *c)
            return false;
    return *p != u'\0';
}

::DWORD DesktopWifi::GetDevicePower(DWORD flags, DWORD* state) {
    if (!(flags & POWER_NAME) || !state)
        return ERROR_INVALID_PARAMETER;
    switch (radios_.Power(RadioKind::WiFi)) {
        case RadioPower::On:
            *state = D0;
            return ERROR_SUCCESS;
        case RadioPower::Off:
        case RadioPower::HeldOff:
            *state = D4;
            return ERROR_SUCCESS;
        case RadioPower::Unknown:
            break;
    }
    return WlanGet(state);
}

::DWORD DesktopWifi::SetDevicePower(DWORD flags, DWORD state) {
    // A radio is on or off: the low-power states between have no meaning here.
    if (!(flags & POWER_NAME) || (state != D0 && state != D4))
        return ERROR_INVALID_PARAMETER;
    if (radios_.Power(RadioKind::WiFi) != RadioPower::Unknown)
        return radios_.SetPower(RadioKind::WiFi, state == D0);
    return WlanSet(state == D0);
}

bool DesktopWifi::Load() {
    if (!loadTried_) {
        loadTried_ = true;
        wlanapi_ = LoadRadioLibrary(L"wlanapi.dll");
        open_ = FindFunction<OpenHandleFn>(wlanapi_, "WlanOpenHandle");
        close_ = FindFunction<CloseHandleFn>(wlanapi_, "WlanCloseHandle");
        enum_ = FindFunction<EnumInterfacesFn>(wlanapi_, "WlanEnumInterfaces");
        query_ = FindFunction<QueryInterfaceFn>(wlanapi_, "WlanQueryInterface");
        set_ = FindFunction<SetInterfaceFn>(wlanapi_, "WlanSetInterface");
        free_ = FindFunction<FreeMemoryFn>(wlanapi_, "WlanFreeMemory");
        if (!open_ || !close_ || !enum_ || !query_ || !set_ || !free_)
            wlanapi_.reset();
    }
    return static_cast<bool>(wlanapi_);
}

void DesktopWifi::CloseClient() {
    if (client_)
        close_(client_, nullptr);
    client_ = nullptr;
}

bool DesktopWifi::ReadPhys(std::vector<Phy>& phys, ::DWORD& error) {
    if (!Load()) {
        error = ERROR_DEV_NOT_EXIST;
        return false;
    }
    if (!client_) {
        ::DWORD version = 0;
        error = open_(2, nullptr, &version, &client_);
        if (error != ERROR_SUCCESS) {
            client_ = nullptr;
            return false;
        }
    }
    WlanMemory<::WLAN_INTERFACE_INFO_LIST> list(free_);
    error = enum_(client_, nullptr, list.put());
    if (error != ERROR_SUCCESS || !list.get()) {
        // The service may have restarted: a new client next time.
        CloseClient();
        if (error == ERROR_SUCCESS)
            error = ERROR_GEN_FAILURE;
        return false;
    }
    for (::DWORD i = 0; i < list.get()->dwNumberOfItems; ++i) {
        const ::GUID& guid = list.get()->InterfaceInfo[i].InterfaceGuid;
        WlanMemory<::WLAN_RADIO_STATE> radio(free_);
        ::DWORD size = 0;
        // An interface that cannot say (it is going away) is passed over.
        if (query_(client_, &guid, wlan_intf_opcode_radio_state, nullptr, &size, radio.putVoid(),
                   nullptr) != ERROR_SUCCESS ||
            !radio.get() || size < sizeof(::DWORD))
            continue;
        const ::DWORD fit = (size - sizeof(::DWORD)) / sizeof(::WLAN_PHY_RADIO_STATE);
        ::DWORD count = radio.get()->dwNumberOfPhys;
        if (count > fit)
            count = fit;
        if (count > WLAN_MAX_PHY_INDEX)
            count = WLAN_MAX_PHY_INDEX;
        for (::DWORD p = 0; p < count; ++p)
            phys.push_back({guid, radio.get()->PhyRadioState[p]});
    }
    error = ERROR_SUCCESS;
    return true;
}

::DWORD DesktopWifi::ReadAllPhys(std::vector<Phy>& phys) {
    ::DWORD error = ERROR_SUCCESS;
    if (!ReadPhys(phys, error))
        return error;
    return phys.empty() ? ERROR_DEV_NOT_EXIST : ERROR_SUCCESS;
}

::DWORD DesktopWifi::WlanGet(DWORD* state) {
    std::vector<Phy> phys;
    if (const ::DWORD error = ReadAllPhys(phys); error != ERROR_SUCCESS)
        return error;
    bool on = false;
    for (const Phy& phy : phys)
        on = on || (phy.state.dot11SoftwareRadioState == dot11_radio_state_on &&
                    phy.state.dot11HardwareRadioState == dot11_radio_state_on);
    *state = on ? D0 : D4;
    return ERROR_SUCCESS;
}

::DWORD DesktopWifi::WlanSet(bool on) {
    std::vector<Phy> phys;
    if (const ::DWORD error = ReadAllPhys(phys); error != ERROR_SUCCESS)
        return error;
    const ::DOT11_RADIO_STATE target = on ? dot11_radio_state_on : dot11_radio_state_off;
    bool switchable = false;
    ::DWORD rc = ERROR_SUCCESS;
    for (const Phy& phy : phys) {
        // A PHY off by its hardware switch is left as it is.
        if (phy.state.dot11HardwareRadioState != dot11_radio_state_on)
            continue;
        switchable = true;
        if (phy.state.dot11SoftwareRadioState == target)
            continue;
        ::WLAN_PHY_RADIO_STATE wanted = phy.state;
        wanted.dot11SoftwareRadioState = target;
        const ::DWORD r = set_(client_, &phy.interfaceGuid, wlan_intf_opcode_radio_state,
                               sizeof wanted, &wanted, nullptr);
        if (r != ERROR_SUCCESS)
            rc = r;
    }
    if (rc != ERROR_SUCCESS)
        return rc;
    return switchable || !on ? ERROR_SUCCESS : ERROR_NOT_READY;
}

}  // namespace velk::win32

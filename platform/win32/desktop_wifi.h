// The WLAN adapter's power state on a PC: the power manager's D0 and D4 for the adapter's
// NDIS name switch the PC's WiFi radios on and off. The system's radio manager is asked
// first; where it knows no WiFi radio, the Native WiFi API's software radio state of every
// PHY of every interface is used (which may need an elevated program to change).
#pragma once

#include "platform/types.h"

#include "platform/win32/radio_manager.h"

#include <wlanapi.h>

namespace velk::win32 {

class DesktopWifi {
  public:
    explicit DesktopWifi(IRadioManager& radios) : radios_(radios) {}
    ~DesktopWifi();
    DesktopWifi(const DesktopWifi&) = delete;
    DesktopWifi& operator=(const DesktopWifi&) = delete;

    // Whether the power manager's name is one of the NDIS miniport class (any instance).
    static bool IsWlanDevice(const char16_t* device);

    // The power manager's answers: 0 or an error code.
    ::DWORD SetDevicePower(DWORD flags, DWORD state);
    ::DWORD GetDevicePower(DWORD flags, DWORD* state);

  private:
    using OpenHandleFn = ::DWORD(WINAPI*)(::DWORD, void*, ::DWORD*, ::HANDLE*);
    using CloseHandleFn = ::DWORD(WINAPI*)(::HANDLE, void*);
    using EnumInterfacesFn = ::DWORD(WINAPI*)(::HANDLE, void*, ::WLAN_INTERFACE_INFO_LIST**);
    using QueryInterfaceFn = ::DWORD(WINAPI*)(::HANDLE, const ::GUID*, ::WLAN_INTF_OPCODE, void*,
                                              ::DWORD*, void**, ::WLAN_OPCODE_VALUE_TYPE*);
    using SetInterfaceFn = ::DWORD(WINAPI*)(::HANDLE, const ::GUID*, ::WLAN_INTF_OPCODE, ::DWORD,
                                            const void*, void*);
    using FreeMemoryFn = void(WINAPI*)(void*);

    // Every PHY of every interface, with its interface; false (and error set) when the
    // service cannot be asked.
    struct Phy {
        ::GUID interfaceGuid;
        ::WLAN_PHY_RADIO_STATE state;
    };
    bool ReadPhys(std::vector<Phy>& phys, ::DWORD& error);
    // Every PHY of every interface; ERROR_DEV_NOT_EXIST when the PC has none.
    ::DWORD ReadAllPhys(std::vector<Phy>& phys);
    bool Load();
    void CloseClient();
    ::DWORD WlanGet(DWORD* state);
    ::DWORD WlanSet(bool on);

    IRadioManager& radios_;
    bool loadTried_ = false;
    UniqueLibrary wlanapi_;
    OpenHandleFn open_ = nullptr;
    CloseHandleFn close_ = nullptr;
    EnumInterfacesFn enum_ = nullptr;
    QueryInterfaceFn query_ = nullptr;
    SetInterfaceFn set_ = nullptr;
    FreeMemoryFn free_ = nullptr;
    ::HANDLE client_ = nullptr;
};

}  // namespace velk::win32

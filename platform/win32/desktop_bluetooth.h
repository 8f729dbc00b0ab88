// The Bluetooth utility library's modes on a PC: 0 switches the radio off, 1 on and
// connectable, 2 on, connectable and discoverable. Power goes through the system's radio
// manager; connectable and discoverable through the classic Bluetooth API, which alone
// carries the modes where the radio manager knows no Bluetooth radio.
#pragma once

#include "platform/types.h"

#include "platform/win32/radio_manager.h"

namespace velk::win32 {

class DesktopBluetooth {
  public:
    explicit DesktopBluetooth(IRadioManager& radios) : radios_(radios) {}

    // The utility library's answers: 0 or an error code.
    INT BthSetMode(DWORD mode);
    INT BthGetMode(DWORD* mode);

  private:
    struct FindParams {
        ::DWORD size;
    };
    using FindFirstRadioFn = ::HANDLE(WINAPI*)(const FindParams*, ::HANDLE*);
    using FindRadioCloseFn = ::BOOL(WINAPI*)(::HANDLE);
    using IsStateFn = ::BOOL(WINAPI*)(::HANDLE);
    using EnableFn = ::BOOL(WINAPI*)(::HANDLE, ::BOOL);

    bool Load();
    bool RadioPresent();
    // Brings connectable and discoverable to what the mode asks, changing only what differs.
    INT Visibility(DWORD mode);

    IRadioManager& radios_;
    bool loadTried_ = false;
    UniqueLibrary library_;
    FindFirstRadioFn findFirstRadio_ = nullptr;
    FindRadioCloseFn findRadioClose_ = nullptr;
    IsStateFn isConnectable_ = nullptr;
    IsStateFn isDiscoverable_ = nullptr;
    EnableFn enableIncoming_ = nullptr;
    EnableFn enableDiscovery_ = nullptr;
};

}  // namespace velk::win32

// Power manager, kernel and event services of the seam on a Linux desktop. The WLAN
// adapter's name means the desktop's WiFi; other devices are unknown, as on a PC. There
// is no device kernel to ask, and named events are the program's own, as a PC's are when
// no device software listens.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/power.h"

#include "platform/linux/bus_call.h"
#include "platform/linux/wifi.h"

namespace velk::linux {

class LinuxPower final : public IPower {
  public:
    // session, when given, hears that the user is active (the desktop's idle timers).
    explicit LinuxPower(LinuxWifi& wifi, BusLink* session = nullptr)
        : wifi_(wifi), session_(session) {}

    DWORD SetDevicePower(const char16_t* device, DWORD flags, DWORD state) override;
    DWORD GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) override;
    BOOL KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                         DWORD* bytesReturned) override;
    HANDLE CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) override;
    BOOL EventModify(HANDLE event, DWORD func) override;
    BOOL CloseHandle(HANDLE handle) override;
    void Sleep(DWORD milliseconds) override;
    void SystemIdleTimerReset() override;

    // Whether the named event exists and is set (for tests and the report).
    bool EventSignalled(const std::u16string& name) const;
    std::size_t OpenHandles() const { return handles_.size(); }

    // Whether the power manager's name is the WLAN adapter's (letter case ignored).
    static bool IsWlanDevice(const char16_t* device);

  private:
    struct Event {
        bool manualReset = false;
        bool signalled = false;
        std::u16string name;
    };

    LinuxWifi& wifi_;
    BusLink* session_;
    // Handles own their event; a named event lives while a handle to it is open.
    std::map<std::uintptr_t, std::shared_ptr<Event>> handles_;
    std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace velk::linux

// The WLAN adapter's power state on a Linux desktop: D0 and D4 switch WiFi on and off.
// Where NetworkManager runs, its WirelessEnabled switch is used (it keeps the kernel's
// switches in line itself); else the kernel's WLAN switches directly. A radio held off
// by hardware reads as off and is not switched on.
#pragma once

#include <string>
#include <vector>

#include "platform/linux/bus_call.h"
#include "platform/linux/rfkill.h"

namespace velk::linux {

class LinuxWifi {
  public:
    LinuxWifi(BusLink& system, Rfkill& rfkill, BusBounds bounds = {});

    // The power manager's answers: 0 or an error code. state is D0 or D4.
    DWORD GetDevicePower(DWORD* state);
    DWORD SetDevicePower(DWORD state);

    // Why the last call failed; empty after one that succeeded.
    const std::string& LastFailure() const { return lastFailure_; }
    // Lines for a person: which service, on or off, held by hardware, and why a switch
    // would fail. Asks the services afresh.
    std::vector<std::string> Report();

  private:
    struct Manager {
        bool enabled = false;
        bool hardwareEnabled = false;
    };
    // NetworkManager's switches; the reply says whether it answered.
    BusReply ReadManager(Manager& manager);
    DWORD FromSwitches(DWORD* state, bool set, bool on);
    DWORD Fail(DWORD code, std::string reason);

    BusService manager_;
    Rfkill& rfkill_;
    std::string lastFailure_;
};

}  // namespace velk::linux

// The simulated handheld's Microsoft Bluetooth stack: the utility library's mode
// (0 off, 1 connectable, 2 discoverable), with a query that can be made to fail.
// Without the library (DeviceOptions::bluetoothLibraryPresent) both calls fail as a
// function that is not there does, and nothing changes. A home traces it by wrapping it
// (trace::TracedBluetooth).
#pragma once

#include "platform/bluetooth.h"
#include "platform/sim/device_options.h"

namespace velk::sim {

constexpr INT kBthSuccess = 0;
constexpr INT kBthInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr INT kBthNotReady = 21;          // ERROR_NOT_READY: the stack does not answer
constexpr INT kBthNotImplemented = 120;   // ERROR_CALL_NOT_IMPLEMENTED: no library
constexpr DWORD kBthInitialMode = 0;      // the radio of a freshly installed stack is off

class SimBluetooth : public IBluetooth {
  public:
    explicit SimBluetooth(const DeviceOptions& options) : options_(&options) {}
    // A stack of its own, library installed, outside a handheld.
    SimBluetooth() : options_(&ownOptions_) {}

    // Modes above 2 are refused and leave the radio as it was.
    INT BthSetMode(DWORD mode) override;
    // A failing query writes nothing.
    INT BthGetMode(DWORD* mode) override;

    // --- control, for tests and the scenario runner -----------------------------------
    void SetMode(DWORD mode) { mode_ = mode > 2 ? 2 : mode; }  // a switch by hand
    DWORD Mode() const { return mode_; }
    bool IsOn() const { return mode_ != 0; }
    void SetQueryFails(bool fails) { queryFails_ = fails; }

  private:
    DeviceOptions ownOptions_;
    const DeviceOptions* options_;
    DWORD mode_ = kBthInitialMode;
    bool queryFails_ = false;
};

}  // namespace velk::sim

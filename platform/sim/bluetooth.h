// The simulated handheld's Microsoft Bluetooth stack: the utility library's mode
// (0 off, 1 connectable, 2 discoverable), with a query that can be made to fail.
// Every call is traced.
#pragma once

#include "platform/bluetooth.h"
#include "platform/sim/clock.h"
#include "platform/sim/trace.h"

namespace velk::sim {

constexpr INT kBthSuccess = 0;
constexpr INT kBthInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr INT kBthNotReady = 21;          // ERROR_NOT_READY: the stack does not answer

class SimBluetooth : public IBluetooth {
  public:
    SimBluetooth(Trace& trace, const Clock& clock);

    // Modes above 2 are refused and leave the radio as it was.
    INT BthSetMode(DWORD mode) override;
    // A failing query writes nothing.
    INT BthGetMode(DWORD* mode) override;

    // --- control, for tests and the scenario runner (untraced) -----------------------
    void SetMode(DWORD mode) { mode_ = mode > 2 ? 2 : mode; }  // a switch by hand
    DWORD Mode() const { return mode_; }
    bool IsOn() const { return mode_ != 0; }
    void SetQueryFails(bool fails) { queryFails_ = fails; }

  private:
    Trace& trace_;
    const Clock& clock_;
    DWORD mode_ = 0;
    bool queryFails_ = false;
};

}  // namespace velk::sim

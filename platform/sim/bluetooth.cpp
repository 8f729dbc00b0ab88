#include "platform/sim/bluetooth.h"

#include <string>

namespace velk::sim {

SimBluetooth::SimBluetooth(Trace& trace, const Clock& clock) : trace_(trace), clock_(clock) {}

INT SimBluetooth::BthSetMode(DWORD mode) {
    trace_.Record(clock_.Now(), "BthSetMode", std::to_string(mode));
    if (mode > 2)
        return kBthInvalidParameter;
    mode_ = mode;
    return kBthSuccess;
}

INT SimBluetooth::BthGetMode(DWORD* mode) {
    trace_.Record(clock_.Now(), "BthGetMode", queryFails_ ? "(fails)" : "");
    if (mode == nullptr)
        return kBthInvalidParameter;
    if (queryFails_)
        return kBthNotReady;
    *mode = mode_;
    return kBthSuccess;
}

}  // namespace velk::sim

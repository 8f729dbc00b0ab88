#include "platform/sim/bluetooth.h"

#include <string>

namespace velk::sim {

SimBluetooth::SimBluetooth(Trace& trace, const Clock& clock, const DeviceOptions& options)
    : trace_(trace), clock_(clock), options_(&options) {}

INT SimBluetooth::BthSetMode(DWORD mode) {
    trace_.Record(clock_.Now(), "BthSetMode", [&] { return std::to_string(mode); });
    if (!options_->bluetoothLibraryPresent)
        return kBthNotImplemented;
    if (mode > 2)
        return kBthInvalidParameter;
    mode_ = mode;
    return kBthSuccess;
}

INT SimBluetooth::BthGetMode(DWORD* mode) {
    trace_.Record(clock_.Now(), "BthGetMode",
                  [&] { return std::string(queryFails_ ? "(fails)" : ""); });
    if (!options_->bluetoothLibraryPresent)
        return kBthNotImplemented;
    if (mode == nullptr)
        return kBthInvalidParameter;
    if (queryFails_)
        return kBthNotReady;
    *mode = mode_;
    return kBthSuccess;
}

}  // namespace velk::sim

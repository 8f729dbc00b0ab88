#include "platform/sim/bluetooth.h"

namespace velk::sim {

INT SimBluetooth::BthSetMode(DWORD mode) {
    if (!options_->bluetoothLibraryPresent)
        return kBthNotImplemented;
    if (mode > 2)
        return kBthInvalidParameter;
    mode_ = mode;
    return kBthSuccess;
}

INT SimBluetooth::BthGetMode(DWORD* mode) {
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

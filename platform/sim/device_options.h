// What kind of handheld the simulator plays: its display and which of the device's
// libraries are installed. Scenarios and tests set these before (or while) the program
// runs; the simulated services read them at each call.
#pragma once

#include <optional>

#include "platform/types.h"

namespace velk::sim {

struct DeviceOptions {
    // The display, in pixels. The shell's menu bar lies along the bottom edge unless
    // menuBarTop places its top edge elsewhere.
    LONG screenWidth = 240;
    LONG screenHeight = 320;
    std::optional<LONG> menuBarTop;
    // The Pocket PC shell library (extra controls, full-screen dialogs, the menu bar).
    bool shellLibraryPresent = true;
    // The core library and its UnregisterFunc1 export, looked up at run time.
    bool coredllPresent = true;
    bool unregisterFunc1Present = true;
    // The Microsoft stack's Bluetooth utility library. Absent, its calls fail and change
    // nothing; installed again, the radio starts in the device's initial mode.
    bool bluetoothLibraryPresent = true;
};

}  // namespace velk::sim

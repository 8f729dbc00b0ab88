// The whole seam in one bundle, for the entry points that hand each component the
// services it uses. Components themselves take only the interfaces they need.
#pragma once

#include "platform/bluetooth.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace velk {

struct Platform {
    IRegistry& registry;
    // The desktop's windows (other programs' too); in most homes the same object as
    // windows, in the Linux home the desktop's own provider joined to the model.
    IDesktopWindows& desktop;
    // Every other role of the window system, for the program's own windows.
    IWindowSystem& windows;
    IShell& shell;
    IPower& power;
    IBluetooth& bluetooth;
    IProcess& process;
};

}  // namespace velk

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
    IWindowSystem& windows;
    IShell& shell;
    IPower& power;
    IBluetooth& bluetooth;
    IProcess& process;
};

}  // namespace velk

// The whole win32 backend in one object, for entry points and tests.
#pragma once

#include "platform/platform.h"

#include "platform/win32/bluetooth.h"
#include "platform/win32/power.h"
#include "platform/win32/process.h"
#include "platform/win32/registry.h"
#include "platform/win32/shell.h"
#include "platform/win32/window_system.h"

namespace velk::win32 {

struct Win32Backend {
    // menus: the program's menu templates (the program passes res/'s lookup).
    explicit Win32Backend(MenuLookup menus) : windows(std::move(menus)) {}

    // The PC's own radios, for the device services a desktop lacks.
    WinRtRadioManager radioManager;
    DesktopWifi desktopWifi{radioManager};
    DesktopBluetooth desktopBluetooth{radioManager};

    Win32Registry registry;
    Win32WindowSystem windows;
    Win32Shell shell;
    Win32Power power{&desktopWifi};
    Win32Bluetooth bluetooth{&desktopBluetooth};
    Win32Process process;

    Platform platform() {
        return Platform{registry, windows, windows, shell, power, bluetooth, process};
    }
};

}  // namespace velk::win32

// The whole win32 backend in one object, for entry points and tests.
#pragma once

#include "platform/platform.h"

#include "platform/win32/win32_power.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_window_system.h"

namespace velk::win32 {

struct Win32Backend {
    Win32Registry registry;
    Win32WindowSystem windows;
    Win32Shell shell;
    Win32Power power;
    Win32Bluetooth bluetooth;
    Win32Process process;

    Platform platform() { return Platform{registry, windows, shell, power, bluetooth, process}; }
};

}  // namespace velk::win32

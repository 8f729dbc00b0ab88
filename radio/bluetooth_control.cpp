#include "radio/bluetooth_control.h"

#include "config/settings.h"
#include "radio/radio_operations.h"

namespace velk {

namespace {

constexpr char16_t kWidcommKey[] = u"\\SOFTWARE\\Widcomm\\BtConfig\\General";
constexpr char16_t kStackMode[] = u"StackMode";

}  // namespace

BluetoothControl::BluetoothControl(const INT& stackCode, IDesktopWindows& desktop,
                                   IWindows& windows, IRegistry& registry, IBluetooth& bluetooth)
    : stackCode_(stackCode),
      desktop_(desktop),
      windows_(windows),
      registry_(registry),
      bluetooth_(bluetooth) {}

void BluetoothControl::TurnBluetoothOn(INT force) {
    if (force == kNotForced && IsBluetoothOn() == 1)
        return;
    switch (stackCode_) {
        case kStackWidcomm:
            SendToConsole(OnCommand);
            break;
        case kStackMicrosoftConnectable:
            bluetooth_.BthSetMode(BTH_CONNECTABLE);
            break;
        case kStackMicrosoftDiscoverable:
            bluetooth_.BthSetMode(BTH_DISCOVERABLE);
            break;
        default:
            break;
    }
}

void BluetoothControl::TurnBluetoothOff(INT force) {
    if (force == kNotForced && IsBluetoothOn() == 0)
        return;
    switch (stackCode_) {
        case kStackWidcomm:
            SendToConsole(OffCommand);
            break;
        case kStackMicrosoftConnectable:
        case kStackMicrosoftDiscoverable:
            bluetooth_.BthSetMode(BTH_POWER_OFF);
            break;
        default:
            break;
    }
}

INT BluetoothControl::IsBluetoothOn() {
    if (stackCode_ != kStackWidcomm) {
        DWORD mode = BTH_POWER_OFF;  // a failed query leaves it so
        bluetooth_.BthGetMode(&mode);
        return mode != BTH_POWER_OFF ? 1 : 0;
    }

    HKEY key;
    if (registry_.RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWidcommKey, 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return 0;
    BYTE buffer[4] = {0, 0, 0, 0};
    DWORD type = 0;
    DWORD size = sizeof buffer;
    const LONG result = registry_.RegQueryValueExW(key, kStackMode, &type, buffer, &size);
    registry_.RegCloseKey(key);
    // A value that is absent or does not fit leaves the buffer undefined: count it as off.
    if (result != ERROR_SUCCESS)
        return 0;
    const DWORD value = static_cast<DWORD>(buffer[0]) | static_cast<DWORD>(buffer[1]) << 8 |
                        static_cast<DWORD>(buffer[2]) << 16 | static_cast<DWORD>(buffer[3]) << 24;
    return value == 1 ? 1 : 0;
}

void BluetoothControl::SendToConsole(UINT command) {
    const HWND console = desktop_.FindWindowW(nullptr, ConsoleCaption.c_str());
    if (!console)
        return;
    windows_.SendMessageW(console, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(command), 0), 0);
}

}  // namespace velk

// A stand-in for the handheld's Bluetooth utility library: the Microsoft stack's radio
// mode, kept in the device state (device.h), every call logged.
#include <windows.h>

#include "device.h"

using namespace velk::device;

extern "C" {

int WINAPI BthSetMode(DWORD mode) {
    DWORD current = 0;
    int rc = 0;
    if (!ReadState(L"BthMode", &current) || mode > 2)
        rc = static_cast<int>(ERROR_SERVICE_NOT_ACTIVE);
    else
        WriteState(L"BthMode", mode);
    Log("BthSetMode " + Number(mode) + " -> " + Number(static_cast<DWORD>(rc)));
    return rc;
}

int WINAPI BthGetMode(DWORD* mode) {
    DWORD current = 0;
    int rc = 0;
    if (!ReadState(L"BthMode", &current))
        rc = static_cast<int>(ERROR_SERVICE_NOT_ACTIVE);
    else if (mode)
        *mode = current;
    Log("BthGetMode " + std::string(mode ? "mode" : "null") + " -> " +
        Number(static_cast<DWORD>(rc)) + " " + Number(current));
    return rc;
}

}  // extern "C"

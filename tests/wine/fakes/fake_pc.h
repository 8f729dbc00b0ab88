// The PC that the test libraries play together: one WiFi adapter with its PHYs, one
// Bluetooth radio, kept in the registry so that the tests and the program under test (in
// its own process) see the same state, and a call log that every library appends to.
//
// HKCU\Software\VelkTestPC, all values DWORD unless said:
//   WifiPhys       number of PHYs of the one WiFi adapter (0 or absent: no WiFi)
//   WifiSoftware   bit per PHY: its software radio state is on
//   WifiHardware   bit per PHY: its hardware switch is on
//   WlanSetError   what WlanSetInterface answers (0: it works)
//   BtPresent      1 when the PC has a Bluetooth radio
//   BtPower        1 while it is powered
//   BtHeld         1 while the system holds it off (flight mode)
//   BtConnectable, BtDiscoverable
//   RadiosHang     the radio manager's operations that never finish: bit 1 its switches
//                  (the radio switches all the same), bit 2 its lookup, bit 8 its question
//                  of access; bit 4: reading a radio's state blocks while the bit is set
//   RadiosRefuse   1: the user refuses the radio manager access (no switch happens)
//   Log            REG_SZ, the file the calls are appended to, one line each
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "../append_file.h"

namespace fakepc {

inline const wchar_t kKey[] = L"Software\\VelkTestPC";

inline DWORD Get(const wchar_t* name, DWORD fallback = 0) {
    DWORD value = 0, size = sizeof value, type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, &type, &value, &size) !=
        ERROR_SUCCESS)
        return fallback;
    return value;
}

inline void Set(const wchar_t* name, DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

inline void SetBit(const wchar_t* name, DWORD bit, bool on) {
    const DWORD v = Get(name);
    Set(name, on ? (v | (1u << bit)) : (v & ~(1u << bit)));
}

// Appends one printf-style line to the log file, if one is named.
inline void Log(const char* format, ...) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (::RegGetValueW(HKEY_CURRENT_USER, kKey, L"Log", RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS)
        return;
    char line[256];
    va_list args;
    va_start(args, format);
    int n = _vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (n < 0)
        n = static_cast<int>(sizeof line) - 2;  // cut short
    line[n++] = '\n';
    testlog::AppendToFile(path, line, static_cast<DWORD>(n));
}

// The one WiFi adapter's interface identifier.
inline constexpr GUID kWifiInterface = {
    0x7e57a1f1, 0x0001, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};

}  // namespace fakepc

// What the test libraries that play the handheld share: the device's state, kept in the
// registry under HKCU\Software\VelkTestDevice so that a test can set it before the
// program starts and read it afterwards, and one log of every call, in order, in the
// file named by that key's value "Log".
//
// State values (REG_DWORD unless said otherwise):
//   WlanState      the WLAN adapter's power state (0 = D0 ... 4 = D4); absent: no adapter
//   PowerUpFails   1: setting the adapter to D0 fails
//   BringUpOnFallback 1: the platform's fallback sequence, arriving in order, brings the
//                  adapter to D0
//   BthMode        the Microsoft stack's mode (0 off, 1 connectable, 2 discoverable);
//                  absent: no Bluetooth stack
#pragma once

#include <windows.h>

#include <string>

#include "../append_file.h"

namespace velk::device {

inline constexpr wchar_t kStateKey[] = L"Software\\VelkTestDevice";

inline bool ReadState(const wchar_t* name, DWORD* value) {
    DWORD size = sizeof(*value);
    return RegGetValueW(HKEY_CURRENT_USER, kStateKey, name, RRF_RT_REG_DWORD, nullptr, value,
                        &size) == ERROR_SUCCESS;
}

inline DWORD StateOr(const wchar_t* name, DWORD fallback) {
    DWORD value = 0;
    return ReadState(name, &value) ? value : fallback;
}

inline void WriteState(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kStateKey, name, REG_DWORD, &value, sizeof(value));
}

inline std::string Narrow(const wchar_t* s) {
    std::string out;
    for (; s && *s; ++s)
        out.push_back(*s < 0x80 ? static_cast<char>(*s) : '?');
    return out;
}

inline std::string Number(unsigned long long n) {
    return std::to_string(n);
}

inline std::string Handle(const void* h) {
    return std::to_string(reinterpret_cast<unsigned long long>(h));
}

// Appends one line to the log; nothing when no log is named.
inline void Log(const std::string& line) {
    wchar_t path[MAX_PATH];
    DWORD size = sizeof(path);
    if (RegGetValueW(HKEY_CURRENT_USER, kStateKey, L"Log", RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS) {
        return;
    }
    const std::string text = line + "\n";
    testlog::AppendToFile(path, text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace velk::device

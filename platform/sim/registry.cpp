#include "platform/sim/registry.h"

#include <cstdio>

#include "platform/sim/trace.h"

namespace velk::sim {

namespace {

std::string HandleText(HKEY key) {
    if (key == HKEY_CURRENT_USER)
        return "HKEY_CURRENT_USER";
    if (key == HKEY_LOCAL_MACHINE)
        return "HKEY_LOCAL_MACHINE";
    return TraceHex(key.value);
}

std::string TypeText(DWORD type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return std::to_string(type);
    }
}

// The data of a set call, readable: a REG_DWORD as its number, a REG_SZ as its text,
// anything else (or anything odd) as bytes, cut short when long.
std::string DataText(DWORD type, const BYTE* data, DWORD cb) {
    if (data == nullptr)
        return "null";
    if (type == REG_DWORD && cb == 4) {
        const DWORD v = data[0] | (data[1] << 8) | (data[2] << 16) | (DWORD{data[3]} << 24);
        return TraceHex(v);
    }
    if (type == REG_SZ && cb % 2 == 0) {
        // Shown as text only when the data is the text and its one terminating null.
        const CString text = RegSzText(data, cb);
        if ((text.size() + 1) * 2 == cb && data[cb - 2] == 0 && data[cb - 1] == 0)
            return TraceString(text);
    }
    std::string out = "hex:";
    const DWORD shown = cb > 32 ? 32 : cb;
    for (DWORD i = 0; i < shown; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, "%02x", data[i]);
        if (i)
            out += ',';
        out += b;
    }
    if (shown < cb)
        out += ",...";
    return out;
}

}  // namespace

LONG SimRegistry::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                HKEY* result) {
    Record("RegOpenKeyExW", [&] {
        return HandleText(key) + ", " + TraceString(subKey) + ", " + std::to_string(options) +
               ", " + TraceHex(samDesired);
    });
    return FileRegistry::RegOpenKeyExW(key, subKey, options, samDesired, result);
}

LONG SimRegistry::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                  HKEY* result, DWORD* disposition) {
    Record("RegCreateKeyExW", [&] {
        return HandleText(key) + ", " + TraceString(subKey) + ", " + std::to_string(options) +
               ", " + TraceHex(samDesired);
    });
    return FileRegistry::RegCreateKeyExW(key, subKey, options, samDesired, result, disposition);
}

LONG SimRegistry::RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                   DWORD* cbData) {
    Record("RegQueryValueExW", [&] {
        return HandleText(key) + ", " + TraceString(valueName) + ", " + (data ? "buffer" : "null") +
               ", " + (cbData ? std::to_string(*cbData) : "null");
    });
    return FileRegistry::RegQueryValueExW(key, valueName, type, data, cbData);
}

LONG SimRegistry::RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                 DWORD cbData) {
    Record("RegSetValueExW", [&] {
        return HandleText(key) + ", " + TraceString(valueName) + ", " + TypeText(type) + ", " +
               DataText(type, data, cbData) + ", " + std::to_string(cbData);
    });
    return FileRegistry::RegSetValueExW(key, valueName, type, data, cbData);
}

LONG SimRegistry::RegCloseKey(HKEY key) {
    Record("RegCloseKey", [&] { return HandleText(key); });
    return FileRegistry::RegCloseKey(key);
}

}  // namespace velk::sim

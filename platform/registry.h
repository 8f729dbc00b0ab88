// The registry service of the seam, named and shaped after the Win32 calls.
#pragma once

#include "platform/types.h"

namespace velk {

class IRegistry {
  public:
    virtual ~IRegistry() = default;

    virtual LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                               HKEY* result) = 0;
    // No class, no security attributes: the program never passes them.
    virtual LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                 HKEY* result, DWORD* disposition) = 0;
    // data may be null to learn the size; *cbData is in bytes.
    virtual LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                  DWORD* cbData) = 0;
    virtual LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                DWORD cbData) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

}  // namespace velk

// The registry of the seam over the desktop's registry.
#pragma once

#include "platform/registry.h"

namespace velk::win32 {

class Win32Registry : public IRegistry {
  public:
    LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                       HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                         HKEY* result, DWORD* disposition) override;
    LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                          DWORD* cbData) override;
    LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                        DWORD cbData) override;
    LONG RegCloseKey(HKEY key) override;
};

}  // namespace velk::win32

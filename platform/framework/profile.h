// The application's registry-backed profile: values in sections under
// HKEY_CURRENT_USER\software\<key word>\<application name>\<section>. Every read and
// write opens the path afresh; nothing is cached.
#pragma once

#include "platform/process.h"
#include "platform/registry.h"
#include "platform/types.h"

namespace velk {

class RegistryProfile {
  public:
    // The application name is taken from the program's module file name.
    RegistryProfile(IRegistry& registry, IProcess& process);

    // The registry key word (set once by start-up before any read or write).
    void SetRegistryKey(const CString& keyWord);
    const CString& RegistryKey() const { return keyWord_; }
    const CString& ApplicationName() const { return appName_; }

    INT GetProfileInt(const char16_t* section, const char16_t* name, INT defaultValue);
    CString GetProfileString(const char16_t* section, const char16_t* name,
                             const char16_t* defaultValue);
    BOOL WriteProfileInt(const char16_t* section, const char16_t* name, INT value);
    BOOL WriteProfileString(const char16_t* section, const char16_t* name, const CString& value);

  private:
    IRegistry& registry_;
    CString keyWord_;
    CString appName_;
};

// The program's file name without directory and extension.
CString ApplicationNameFromPath(const CString& path);

}  // namespace velk

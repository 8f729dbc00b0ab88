// The settings store: nine values in the section "Settings" of the application's
// profile under HKEY_CURRENT_USER\software\<key word>\<application name>\Settings.
// Every read and write opens the path afresh; nothing is cached.
#pragma once

#include "platform/process.h"
#include "platform/registry.h"
#include "platform/types.h"

namespace velk {

// Value names and defaults of the stored settings, in the order both readers use.
inline constexpr char16_t kSettingsSection[] = u"Settings";
inline constexpr char16_t kDefaultAction[] = u"DefaultAction";
inline constexpr char16_t kWFDefaultAction[] = u"WFDefaultAction";
inline constexpr char16_t kOnList[] = u"OnList";
inline constexpr char16_t kOffList[] = u"OffList";
inline constexpr char16_t kOnRunList[] = u"OnRunList";
inline constexpr char16_t kBTControl[] = u"BTControl";
inline constexpr char16_t kDefControl[] = u"DefControl";
inline constexpr char16_t kOffTakesPrecedence[] = u"OffTakesPrecedence";
inline constexpr char16_t kKeepPDAOn[] = u"KeepPDAOn";
inline constexpr char16_t kOnListDefault[] = u"#bBluetooth;";
inline constexpr char16_t kOffListDefault[] = u"HR: ;";
inline constexpr char16_t kOnRunListDefault[] = u"Internet explorer;#bBluetooth;";

class SettingsStore {
  public:
    // The application name is taken from the program's module file name.
    SettingsStore(IRegistry& registry, IProcess& process);

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

// The nine stored settings: one table of name, kind and default in the order of
// access, over the application's profile. Both readers and the writer go through it.
#pragma once

#include <array>

#include "platform/framework/profile.h"
#include "platform/types.h"

namespace velk {

// The registry key word, the second level of the profile's path.
inline constexpr char16_t kRegistryKeyWord[] = u"Velk";
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

// The codes are stored as INT; each is the position of its item in the dialog's combo box.
// Action codes of DefaultAction and WFDefaultAction.
enum ActionCode : INT { kActionLeave = 0, kActionTurnOn = 1, kActionTurnOff = 2 };
// Stack codes of BTControl.
enum StackCode : INT {
    kStackWidcomm = 0,
    kStackMicrosoftConnectable = 1,
    kStackMicrosoftDiscoverable = 2,
};
// Radio codes of DefControl and of the lists' prefixes.
enum RadioCode : INT { kRadioBluetooth = 0, kRadioWiFi = 1 };

// The values of the nine settings, one field each.
struct SettingValues {
    INT DefaultAction = 0;
    INT WFDefaultAction = 0;
    CString OnList;
    CString OffList;
    CString OnRunList;
    INT BTControl = 0;
    INT DefControl = 0;
    INT OffTakesPrecedence = 0;
    INT KeepPDAOn = 0;
};

enum class SettingKind { Integer, Text };

struct Setting {
    const char16_t* name;
    SettingKind kind;
    INT integerDefault;
    const char16_t* textDefault;
    INT SettingValues::*integer;
    CString SettingValues::*text;
};

// In the order of access: both readers read, and the writer writes, in this order.
inline constexpr std::array<Setting, 9> kSettings = {{
    {kDefaultAction, SettingKind::Integer, 0, nullptr, &SettingValues::DefaultAction, nullptr},
    {kWFDefaultAction, SettingKind::Integer, 0, nullptr, &SettingValues::WFDefaultAction, nullptr},
    {kOnList, SettingKind::Text, 0, kOnListDefault, nullptr, &SettingValues::OnList},
    {kOffList, SettingKind::Text, 0, kOffListDefault, nullptr, &SettingValues::OffList},
    {kOnRunList, SettingKind::Text, 0, kOnRunListDefault, nullptr, &SettingValues::OnRunList},
    {kBTControl, SettingKind::Integer, 0, nullptr, &SettingValues::BTControl, nullptr},
    {kDefControl, SettingKind::Integer, 0, nullptr, &SettingValues::DefControl, nullptr},
    {kOffTakesPrecedence, SettingKind::Integer, 0, nullptr, &SettingValues::OffTakesPrecedence,
     nullptr},
    {kKeepPDAOn, SettingKind::Integer, 0, nullptr, &SettingValues::KeepPDAOn, nullptr},
}};

// Reads the nine values in the order of access; a failed read gives the default.
void ReadSettings(RegistryProfile& profile, SettingValues& values);
// Writes the nine values in the order of access. A failed write is passed over: the
// rest are still written.
void WriteSettings(RegistryProfile& profile, const SettingValues& values);

}  // namespace velk

#include "config/settings.h"

namespace velk {

void ReadSettings(RegistryProfile& profile, SettingValues& values) {
    for (const Setting& s : kSettings) {
        if (s.kind == SettingKind::Integer)
            values.*s.integer = profile.GetProfileInt(kSettingsSection, s.name, s.integerDefault);
        else
            values.*s.text = profile.GetProfileString(kSettingsSection, s.name, s.textDefault);
    }
}

void WriteSettings(RegistryProfile& profile, const SettingValues& values) {
    for (const Setting& s : kSettings) {
        if (s.kind == SettingKind::Integer)
            profile.WriteProfileInt(kSettingsSection, s.name, values.*s.integer);
        else
            profile.WriteProfileString(kSettingsSection, s.name, values.*s.text);
    }
}

}  // namespace velk

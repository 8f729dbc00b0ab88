// The Settings command (32771) of the main frame.
#pragma once

#include <functional>

#include "platform/framework/profile.h"
#include "platform/platform.h"

namespace velk {

class CSettingsDlg;

// What the command needs of the frame that runs it.
struct SettingsCommandHost {
    const Platform& platform;
    CString appName;            // captions the dialog's message boxes
    RegistryProfile& profile;   // where the nine settings are read and written
    CSettingsDlg*& openDialog;  // the frame's pointer to the open dialog, null when none
    std::function<void()> loadRuleLists;
};

// Opens the settings dialog, or brings the open one forward.
void RunSettingsCommand(const SettingsCommandHost& host);

}  // namespace velk

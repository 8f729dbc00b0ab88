#include "config/settings_command.h"

#include "shell/main_frame.h"

namespace velk {

// The settings dialog lands here.
void RunSettingsCommand(CMainFrame&) {}

}  // namespace velk

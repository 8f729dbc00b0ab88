// The Settings command (32771) of the main frame.
#pragma once

namespace velk {

class CMainFrame;

// Opens the settings dialog, or brings the open one forward.
void RunSettingsCommand(CMainFrame& frame);

}  // namespace velk

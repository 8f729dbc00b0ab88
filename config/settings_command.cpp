#include "config/settings_command.h"

#include <memory>

#include "config/settings_dlg.h"
#include "config/settings_store.h"
#include "shell/main_frame.h"

namespace velk {

namespace {

// The frame's pointer to the open dialog goes back to null however the command ends.
class OpenDialogScope {
  public:
    OpenDialogScope(CMainFrame& frame, CSettingsDlg* dialog) : frame_(frame) {
        frame_.SettingsDlg = dialog;
    }
    ~OpenDialogScope() { frame_.SettingsDlg = nullptr; }
    OpenDialogScope(const OpenDialogScope&) = delete;
    OpenDialogScope& operator=(const OpenDialogScope&) = delete;

  private:
    CMainFrame& frame_;
};

void ReadSettings(SettingsStore& store, CSettingsDlg& dlg) {
    dlg.DefaultAction = store.GetProfileInt(kSettingsSection, kDefaultAction, 0);
    dlg.WFDefaultAction = store.GetProfileInt(kSettingsSection, kWFDefaultAction, 0);
    dlg.OnList = store.GetProfileString(kSettingsSection, kOnList, kOnListDefault);
    dlg.OffList = store.GetProfileString(kSettingsSection, kOffList, kOffListDefault);
    dlg.OnRunList = store.GetProfileString(kSettingsSection, kOnRunList, kOnRunListDefault);
    dlg.BTControl = store.GetProfileInt(kSettingsSection, kBTControl, 0);
    dlg.DefControl = store.GetProfileInt(kSettingsSection, kDefControl, 0);
    dlg.OffTakesPrecedence = store.GetProfileInt(kSettingsSection, kOffTakesPrecedence, 0);
    dlg.KeepPDAOn = store.GetProfileInt(kSettingsSection, kKeepPDAOn, 0);
}

// Failed writes are passed over: the rest are still written.
void WriteSettings(SettingsStore& store, const CSettingsDlg& dlg) {
    store.WriteProfileInt(kSettingsSection, kDefaultAction, dlg.DefaultAction);
    store.WriteProfileInt(kSettingsSection, kWFDefaultAction, dlg.WFDefaultAction);
    store.WriteProfileString(kSettingsSection, kOnList, dlg.OnList);
    store.WriteProfileString(kSettingsSection, kOffList, dlg.OffList);
    store.WriteProfileString(kSettingsSection, kOnRunList, dlg.OnRunList);
    store.WriteProfileInt(kSettingsSection, kBTControl, dlg.BTControl);
    store.WriteProfileInt(kSettingsSection, kDefControl, dlg.DefControl);
    store.WriteProfileInt(kSettingsSection, kOffTakesPrecedence, dlg.OffTakesPrecedence);
    store.WriteProfileInt(kSettingsSection, kKeepPDAOn, dlg.KeepPDAOn);
}

}  // namespace

void RunSettingsCommand(CMainFrame& frame) {
    if (CSettingsDlg* open = frame.SettingsDlg) {
        // It may be hidden by the Find Window mode, which goes on. A dialog already
        // closed, waiting only for a nested loop to unwind, is not brought back.
        if (open->IsModalRunning()) {
            open->ShowWindow(SW_SHOW);
            open->SetForegroundWindow();
        }
        return;
    }

    auto dlg = std::make_unique<CSettingsDlg>(frame.GetPlatform(), frame.App().m_pszAppName);
    const OpenDialogScope scope(frame, dlg.get());
    ReadSettings(frame.Store, *dlg);
    if (dlg->DoModal() == IDOK) {
        WriteSettings(frame.Store, *dlg);
        frame.LoadRuleLists();
    }
}

}  // namespace velk

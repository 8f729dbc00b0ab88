#include "config/settings_command.h"

#include <memory>

#include "config/settings.h"
#include "config/settings_dlg.h"

namespace velk {

namespace {

// The frame's pointer to the open dialog goes back to null however the command ends.
class OpenDialogScope {
  public:
    OpenDialogScope(CSettingsDlg*& slot, CSettingsDlg* dialog) : slot_(slot) { slot_ = dialog; }
    ~OpenDialogScope() { slot_ = nullptr; }
    OpenDialogScope(const OpenDialogScope&) = delete;
    OpenDialogScope& operator=(const OpenDialogScope&) = delete;

  private:
    CSettingsDlg*& slot_;
};

}  // namespace

void RunSettingsCommand(const SettingsCommandHost& host) {
    if (CSettingsDlg* open = host.openDialog) {
        // It may be hidden by the Find Window mode, which goes on. A dialog already
        // closed, waiting only for a nested loop to unwind, is not brought back.
        if (open->IsModalRunning()) {
            open->ShowWindow(SW_SHOW);
            open->SetForegroundWindow();
        }
        return;
    }

    auto dlg = std::make_unique<CSettingsDlg>(host.platform, host.appName);
    const OpenDialogScope scope(host.openDialog, dlg.get());
    ReadSettings(host.profile, *dlg);
    if (dlg->DoModal() == IDOK) {
        WriteSettings(host.profile, *dlg);
        host.loadRuleLists();
    }
}

}  // namespace velk

// The settings dialog (template 130): the three caption lists, the default actions,
// the Bluetooth stack, the default radio and the two options. It also hosts the Find
// Window mode, which hides the dialog while it captures captions into the lists.
#pragma once

#include "config/find_window_mode.h"
#include "config/settings.h"
#include "platform/framework/dialog.h"

namespace velk {

// The fields, one per setting, are the dialog's SettingValues.
class CSettingsDlg : public CDialog, public SettingValues {
  public:
    // appName captions the dialog's message boxes.
    CSettingsDlg(const Platform& platform, CString appName);

    FindWindowMode Mode;

    const CString& AppName() const { return appName_; }

    DECLARE_MESSAGE_MAP()

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Closing the dialog ends a running Find Window mode first, so the button is not
    // left registered to a window that is going away.
    void OnOK() override;
    void OnCancel() override;

    void OnFindWindow();
    void OnTimer(UINT_PTR id);
    void OnTest();
    LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);

  private:
    void FillComboBoxes();

    CString appName_;
};

}  // namespace velk

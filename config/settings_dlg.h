// The settings dialog (template 130): the three caption lists, the default actions,
// the Bluetooth stack, the default radio and the two options. It also hosts the Find
// Window mode, which hides the dialog while it captures captions into the lists.
#pragma once

#include "config/find_window_mode.h"
#include "platform/framework/dialog.h"

namespace velk {

class CSettingsDlg : public CDialog {
  public:
    // appName captions the dialog's message boxes.
    CSettingsDlg(const Platform& platform, CString appName);

    // --- fields, in the order of the data exchange ------------------------------------
    CString OffList;
    CString OnList;
    INT OffTakesPrecedence = 0;
    INT BTControl = -1;
    CString OnRunList;
    INT KeepPDAOn = 0;
    INT DefControl = 0;
    INT DefaultAction = -1;
    INT WFDefaultAction = -1;

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

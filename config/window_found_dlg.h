// The Window Found dialog (template 138): the captured caption, which list it goes to,
// and whether the Find Window mode goes on after it.
#pragma once

#include "platform/framework/dialog.h"

namespace velk {

class CWindowFoundDlg : public CDialog {
  public:
    CWindowFoundDlg(const WndRoles& roles, const ShellRoles& shell);

    INT ContinueFind = 0;
    CString Caption;
    INT ListIndex = -1;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    // The continue flag and the list choice count for a cancelled dialog too.
    void OnCancel() override;
};

}  // namespace velk

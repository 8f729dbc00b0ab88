#include "config/window_found_dlg.h"

#include "res/resource_ids.h"

namespace velk {

CWindowFoundDlg::CWindowFoundDlg(const WndRoles& roles, const ShellRoles& shell)
    : CDialog(IDD_WINDOW_FOUND, roles, shell, nullptr) {}

void CWindowFoundDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Check(dx, IDC_WF_CONTINUE, ContinueFind);
    DDX_Text(dx, IDC_WF_CAPTION, Caption);
    DDX_Radio(dx, IDC_WF_ACTIVE_ON, ListIndex);
}

void CWindowFoundDlg::OnCancel() {
    UpdateData(1);
    EndDialog(IDCANCEL);
}

}  // namespace velk

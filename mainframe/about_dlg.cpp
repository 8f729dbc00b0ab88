#include "mainframe/about_dlg.h"

#include "res/resource_ids.h"

namespace velk {

CAboutDlg::CAboutDlg(const Platform& platform) : CDialog(IDD_ABOUTBOX, platform, nullptr) {}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CenterWindow();
    return 1;
}

}  // namespace velk

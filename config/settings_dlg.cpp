#include "config/settings_dlg.h"

#include <utility>

#include "res/resource_ids.h"

namespace velk {

namespace {

// Combo contents: the position of an item is the code stored for it.
constexpr const char16_t* kActionItems[] = {u"Leave", u"Turn On", u"Turn Off"};
constexpr const char16_t* kStackItems[] = {u"Widcomm", u"Microsoft (conn.)", u"Microsoft (disc.)"};
constexpr const char16_t* kRadioItems[] = {u"Bluetooth", u"WiFi"};

}  // namespace

CSettingsDlg::CSettingsDlg(const Platform& platform, CString appName)
    : CDialog(IDD_SETTINGS, platform, nullptr),
      Mode(*this, platform.process, platform.windows),
      appName_(std::move(appName)) {
    // No selection until the Settings command loads the stored values.
    BTControl = -1;
    DefaultAction = -1;
    WFDefaultAction = -1;
}

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
ON_BN_CLICKED(IDC_FIND_WINDOW, OnFindWindow)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_TEST, OnTest)
ON_MESSAGE(WM_HOTKEY, OnHotKey)
END_MESSAGE_MAP()

void CSettingsDlg::DoDataExchange(CDataExchange* dx) {
    DDX_Text(dx, IDC_OFF_LIST, OffList);
    DDX_Text(dx, IDC_ON_LIST, OnList);
    DDX_Check(dx, IDC_OFF_TAKES_PRECEDENCE, OffTakesPrecedence);
    DDX_CBIndex(dx, IDC_BT_CONTROL, BTControl);
    DDX_Text(dx, IDC_ON_RUN_LIST, OnRunList);
    DDX_Check(dx, IDC_KEEP_PDA_ON, KeepPDAOn);
    DDX_CBIndex(dx, IDC_DEF_CONTROL, DefControl);
    DDX_CBIndex(dx, IDC_DEFAULT_ACTION, DefaultAction);
    DDX_CBIndex(dx, IDC_WF_DEFAULT_ACTION, WFDefaultAction);
}

void CSettingsDlg::FillComboBoxes() {
    const auto fill = [this](INT id, const auto& items) {
        const HWND combo = GetDlgItem(id);
        for (const char16_t* text : items)
            Windows().SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    };
    fill(IDC_DEFAULT_ACTION, kActionItems);
    fill(IDC_WF_DEFAULT_ACTION, kActionItems);
    fill(IDC_BT_CONTROL, kStackItems);
    fill(IDC_DEF_CONTROL, kRadioItems);
}

BOOL CSettingsDlg::OnInitDialog() {
    // The selections loaded next are indexes into these lists.
    FillComboBoxes();
    return CDialog::OnInitDialog();
}

void CSettingsDlg::OnOK() {
    Mode.Stop();
    CDialog::OnOK();
}

void CSettingsDlg::OnCancel() {
    Mode.Stop();
    CDialog::OnCancel();
}

void CSettingsDlg::OnFindWindow() {
    Mode.Start();
}

void CSettingsDlg::OnTimer(UINT_PTR) {
    Mode.OnTimer([this] { Default(); });
}

void CSettingsDlg::OnTest() {
    Mode.ListWindowCaptions();
}

LRESULT CSettingsDlg::OnHotKey(WPARAM, LPARAM) {
    return Mode.OnHotKey();
}

}  // namespace velk

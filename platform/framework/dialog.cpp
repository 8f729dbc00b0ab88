#include "platform/framework/dialog.h"

#include <string>
#include <vector>

namespace velk {

namespace {

bool IsRadioButton(const DialogItemTemplate& item) {
    if (item.windowClass == nullptr || CString(item.windowClass) != kClassButton)
        return false;
    const DWORD type = item.style & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// The radio buttons of the group that starts at firstId, in template order.
std::vector<INT> RadioGroup(const DialogTemplate* tmpl, INT firstId) {
    std::vector<INT> ids;
    if (tmpl == nullptr)
        return ids;
    bool inGroup = false;
    for (const DialogItemTemplate& item : tmpl->items) {
        if (!inGroup) {
            if (item.id != firstId)
                continue;
            inGroup = true;
        } else if (item.style & WS_GROUP) {
            break;
        }
        if (IsRadioButton(item))
            ids.push_back(item.id);
    }
    return ids;
}

}  // namespace

// --- data exchange ----------------------------------------------------------------------

void DDX_Text(CDataExchange* dx, INT id, CString& value) {
    const HWND ctrl = dx->m_pDlgWnd->GetDlgItem(id);
    if (!dx->m_bSaveAndValidate) {
        dx->m_pDlgWnd->Windows().SetWindowTextW(ctrl, value.c_str());
        return;
    }
    ReadWindowText(dx->m_pDlgWnd->Desktop(), ctrl, value);
}

void DDX_Check(CDataExchange* dx, INT id, INT& value) {
    IWindows& windows = dx->m_pDlgWnd->Windows();
    const HWND ctrl = dx->m_pDlgWnd->GetDlgItem(id);
    if (!dx->m_bSaveAndValidate) {
        if (value < 0 || value > 2)
            value = 0;
        windows.SendMessageW(ctrl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
        return;
    }
    value = static_cast<INT>(windows.SendMessageW(ctrl, BM_GETCHECK, 0, 0));
}

void DDX_CBIndex(CDataExchange* dx, INT id, INT& index) {
    IWindows& windows = dx->m_pDlgWnd->Windows();
    const HWND ctrl = dx->m_pDlgWnd->GetDlgItem(id);
    if (!dx->m_bSaveAndValidate) {
        // An index outside the list (-1 included) leaves no selection.
        windows.SendMessageW(ctrl, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return;
    }
    const LRESULT sel = windows.SendMessageW(ctrl, CB_GETCURSEL, 0, 0);
    index = sel < 0 ? -1 : static_cast<INT>(sel);
}

void DDX_Radio(CDataExchange* dx, INT id, INT& value) {
    IWindows& windows = dx->m_pDlgWnd->Windows();
    const std::vector<INT> group = RadioGroup(dx->m_pDlgWnd->GetTemplate(), id);
    if (dx->m_bSaveAndValidate)
        value = -1;
    for (std::size_t i = 0; i < group.size(); ++i) {
        const HWND ctrl = dx->m_pDlgWnd->GetDlgItem(group[i]);
        const INT index = static_cast<INT>(i);
        if (!dx->m_bSaveAndValidate) {
            windows.SendMessageW(ctrl, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED,
                                 0);
        } else if (windows.SendMessageW(ctrl, BM_GETCHECK, 0, 0) != 0) {
            value = index;
        }
    }
}

// --- CDialog ----------------------------------------------------------------------------

CDialog::CDialog(UINT templateId, const WndRoles& roles, const ShellRoles& shell, CWnd* parent)
    : CWnd(roles), m_pParentWnd(parent), m_shell(shell), m_templateId(templateId) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_MESSAGE(WM_ACTIVATE, HandleActivate)
ON_MESSAGE(WM_SETTINGCHANGE, HandleSettingChange)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

const DialogTemplate* CDialog::GetTemplate() const {
    return FindDialogTemplate(static_cast<WORD>(m_templateId));
}

INT CDialog::DoModal() {
    const DialogTemplate* tmpl = GetTemplate();
    if (tmpl == nullptr)
        return -1;
    IWindows& windows = m_roles.windows;
    m_nModalResult = -1;
    m_modalRunning = true;
    const HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : HWND{};
    const HWND hwnd = m_roles.dialogs.CreateDialogIndirectW(*tmpl, parent, this);
    if (!hwnd) {
        m_modalRunning = false;
        return -1;
    }
    if (!m_hWnd)
        m_hWnd = hwnd;
    // A template without the visible style is shown once the dialog is set up.
    if (m_modalRunning && m_hWnd && !windows.IsWindowVisible(m_hWnd))
        windows.ShowWindow(m_hWnd, SW_SHOWNORMAL);

    MSG msg;
    while (m_modalRunning && m_hWnd) {
        const BOOL got = windows.GetMessageW(&msg, HWND{}, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to the loop outside: hand it on and stop here.
            windows.PostQuitMessage(static_cast<INT>(msg.wParam));
            break;
        }
        if (got < 0)
            break;
        if (!m_hWnd || !m_roles.dialogs.IsDialogMessageW(m_hWnd, &msg)) {
            windows.TranslateMessage(&msg);
            windows.DispatchMessageW(&msg);
        }
    }
    m_modalRunning = false;
    if (m_hWnd)
        windows.DestroyWindow(m_hWnd);
    return m_nModalResult;
}

void CDialog::EndDialog(INT result) {
    m_nModalResult = result;
    m_modalRunning = false;
    // The dialog goes out of sight at once, even while a loop nested inside its own is
    // still running; its loop destroys it when control comes back there.
    if (m_hWnd)
        m_roles.windows.ShowWindow(m_hWnd, SW_HIDE);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return 1;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(0);
    if (m_bFullScreen) {
        SetForegroundWindow();
        SHINITDLGINFO info;
        info.dwMask = SHIDIM_FLAGS;
        info.hDlg = m_hWnd;
        info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
        // Without the shell this does nothing and the dialog stays an ordinary one.
        m_shell.shell.SHInitDialog(info);
    }
    return 1;
}

void CDialog::OnOK() {
    UpdateData(1);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

LRESULT CDialog::HandleActivate(WPARAM wParam, LPARAM lParam) {
    if (m_bFullScreen)
        m_shell.shell.SHHandleWMActivate(m_hWnd, wParam, lParam);
    return Default();
}

LRESULT CDialog::HandleSettingChange(WPARAM wParam, LPARAM lParam) {
    if (m_bFullScreen)
        m_shell.shell.SHHandleWMSettingChange(m_hWnd, wParam, lParam);
    return Default();
}

BOOL CDialog::CenterWindow() {
    IWindows& windows = m_roles.windows;
    const RECT area = m_shell.shell.GetWorkArea();
    HWND owner = windows.GetWindow(m_hWnd, GW_OWNER);
    if (!owner && m_pParentWnd != nullptr)
        owner = m_pParentWnd->m_hWnd;
    RECT over = area;
    if (owner && windows.IsWindowVisible(owner))
        windows.GetWindowRect(owner, &over);

    RECT me;
    if (!windows.GetWindowRect(m_hWnd, &me))
        return 0;
    const LONG w = me.right - me.left;
    const LONG h = me.bottom - me.top;
    LONG x = over.left + ((over.right - over.left) - w) / 2;
    LONG y = over.top + ((over.bottom - over.top) - h) / 2;
    // Keep it on the screen where it fits.
    if (x + w > area.right)
        x = area.right - w;
    if (x < area.left)
        x = area.left;
    if (y + h > area.bottom)
        y = area.bottom - h;
    if (y < area.top)
        y = area.top;
    return windows.SetWindowPos(m_hWnd, HWND{}, x, y, 0, 0,
                                SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velk

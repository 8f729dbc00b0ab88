#include "mainframe/main_frame.h"

#include "config/settings_command.h"
#include "engine/rule_lists.h"
#include "res/resource_ids.h"

namespace velk {

namespace {

// The view's border is dropped again by the framework.
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
constexpr DWORD kCommandBarStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD kAddedBarStyle = CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_FIXED;
constexpr UINT kIconMenuFlags = TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_VERTICAL;

}  // namespace

CMainFrame::CMainFrame(CWinApp& app)
    : CFrameWnd(app),
      Store(app.Profile()),
      CommandBar(app.GetPlatform()),
      View(app.GetPlatform()),
      bluetooth_(Engine.BTControl, app.GetPlatform().desktop, app.GetPlatform().windows,
                 app.GetPlatform().registry, app.GetPlatform().bluetooth),
      wlan_(app.GetPlatform().power),
      radios_(bluetooth_, wlan_),
      engine_(Engine, app.GetPlatform().desktop, app.GetPlatform().power, radios_) {
    taskbarCreated_ = Windows().RegisterWindowMessageW(u"TaskbarCreated");
}

CMainFrame::~CMainFrame() {
    // The icon goes first. A frame whose creation stopped before the record was filled
    // never added one.
    if (IconData.cbSize != 0)
        Shell().Shell_NotifyIcon(NIM_DELETE, IconData);
}

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_WM_SETFOCUS()
ON_WM_TIMER()
ON_COMMAND(ID_SETTINGS, OnSettings)
ON_MESSAGE(kIconNotifyMessage, OnIconNotify)
END_MESSAGE_MAP()

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return 0;
    cs.lpszClass = AfxRegisterWndClass(Windows(), 0, 0);
    return 1;
}

INT CMainFrame::OnCreate(LPARAM createRecord) {
    if (CFrameWnd::OnCreate(createRecord) == -1)
        return -1;
    if (!View.Create(nullptr, nullptr, kViewStyle, RECT{0, 0, 0, 0}, this, AFX_IDW_PANE_FIRST))
        return -1;
    if (!CommandBar.Create(this, kCommandBarStyle, AFX_IDW_TOOLBAR))
        return -1;
    if (!CommandBar.InsertMenuBar(IDR_MAINFRAME))
        return -1;
    if (!CommandBar.AddAdornments(0))
        return -1;
    CommandBar.SetBarStyle(CommandBar.GetBarStyle() | kAddedBarStyle);

    LoadRuleLists();
    SetTimer(kPollTimerId, static_cast<UINT>(CheckInterval));

    IconData.cbSize = kNotifyIconDataSize;
    IconData.hWnd = m_hWnd;
    IconData.uID = kIconId;
    IconData.uFlags = NIF_MESSAGE | NIF_ICON;
    IconData.uCallbackMessage = kIconNotifyMessage;
    // The bar lies along the bottom of the screen: below 320 means a high-resolution one.
    RECT bar;
    CommandBar.GetWindowRect(&bar);
    IconData.hIcon =
        Menus().LoadIconW(bar.top > kStandardScreenBarTop ? IDI_TRAY_LARGE : IDI_TRAY_SMALL);
    Shell().Shell_NotifyIcon(NIM_ADD, IconData);
    return 0;
}

BOOL CMainFrame::OnCmdMsg(UINT id, UINT code) {
    if (View.OnCmdMsg(id, code))
        return 1;
    return CFrameWnd::OnCmdMsg(id, code);
}

BOOL CMainFrame::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Desktop shells forget their icons when they restart; the device never sends this.
    if (taskbarCreated_ != 0 && message == taskbarCreated_ && IconData.cbSize != 0)
        Shell().Shell_NotifyIcon(NIM_ADD, IconData);
    return CFrameWnd::OnWndMsg(message, wParam, lParam, result);
}

void CMainFrame::OnSetFocus(HWND) {
    View.SetFocus();
}

void CMainFrame::OnTimer(UINT_PTR) {
    SwitchEngine();
}

SettingsCommandHost CMainFrame::SettingsHost() {
    return {.platform = App().GetPlatform(),
            .appName = App().m_pszAppName,
            .profile = Store,
            .openDialog = SettingsDlg,
            .loadRuleLists = [this] { LoadRuleLists(); }};
}

void CMainFrame::LoadRuleLists() {
    ::velk::LoadRuleLists(Store, Engine);
}

void CMainFrame::SwitchEngine() {
    engine_.Tick([this] { Default(); });
}

void CMainFrame::ExplainDecisions(IExplanationSink* sink) {
    engine_.SetObserver(nullptr);
    explainer_.reset();
    if (sink == nullptr)
        return;
    explainer_ = std::make_unique<DecisionExplainer>(radios_, *sink);
    engine_.SetObserver(explainer_.get());
}

void CMainFrame::OnSettings() {
    RunSettingsCommand(SettingsHost());
}

LRESULT CMainFrame::OnIconNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != kIconId || mouseMessage != static_cast<LPARAM>(WM_LBUTTONDOWN))
        return 0;
    if (IconMenuOpen == 1)
        return 0;
    IconMenuOpen = 1;
    const HMENU popup = Menus().GetSubMenu(GetMenu(), 0);
    RECT bar;
    CommandBar.GetWindowRect(&bar);
    Menus().TrackPopupMenuEx(popup, kIconMenuFlags, bar.right, bar.top, m_hWnd);
    IconMenuOpen = 0;
    return 0;
}

void CMainFrame::HideAllWindows() {
    CommandBar.ShowWindow(SW_HIDE);
    View.ShowWindow(SW_HIDE);
    ShowWindow(SW_HIDE);
}

}  // namespace velk

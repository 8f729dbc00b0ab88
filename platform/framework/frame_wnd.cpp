#include "platform/framework/frame_wnd.h"
#include "platform/framework/win_app.h"
#include "platform/resources.h"

namespace velk {

// --- CFrameWnd --------------------------------------------------------------------------

CFrameWnd::CFrameWnd(CWinApp& app)
    : CWnd(app.GetPlatform()), m_shell(app.GetPlatform()), m_app(&app) {}

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
    m_nIDHelp = resourceId;
    CString title;
    if (const char16_t* s = FindStringResource(resourceId)) {
        title = s;
        title = title.substr(0, title.find(u'\n'));
    }
    // The low word holds the framework's own frame styles; the window gets none of them.
    style = (style & ~DWORD{0xFFFF}) | WS_VISIBLE;
    const RECT area = m_shell.shell.GetWorkArea();
    return CreateEx(0, nullptr, title.c_str(), style, area, parent, 0);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    return CWnd::PreCreateWindow(cs);
}

INT CFrameWnd::OnCreate(LPARAM) {
    return Default() == -1 ? -1 : 0;
}

BOOL CFrameWnd::OnCmdMsg(UINT id, UINT code) {
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(id, code))
        return 1;
    if (CWnd::OnCmdMsg(id, code))
        return 1;
    return m_app->OnCmdMsg(id, code);
}

void CFrameWnd::OnNcDestroy() {
    m_app->OnFrameWindowGone(this);
}

void CFrameWnd::PostNcDestroy() {
    m_app->ReleaseFrame(this);
}

// --- CCeCommandBar ----------------------------------------------------------------------

CCeCommandBar::~CCeCommandBar() {
    if (m_shellBar && m_hWnd && Desktop().IsWindow(m_hWnd))
        Windows().DestroyWindow(m_hWnd);
    if (m_shellBar)
        Detach();
    if (m_hMenu)
        m_shell.menus.DestroyMenu(m_hMenu);
}

BOOL CCeCommandBar::Create(CWnd* parent, DWORD style, UINT id) {
    m_parent = parent;
    m_id = id;
    m_dwStyle = style & CBRS_ALL;

    SHMENUBARINFO info;
    info.hwndParent = parent ? parent->m_hWnd : HWND{};
    info.dwFlags = 0;
    info.nToolBarId = AFX_IDR_MENUBAR_EMPTY;
    if (m_shell.shell.SHCreateMenuBar(&info) && info.hwndMB) {
        Attach(info.hwndMB);
        m_shellBar = true;
        return 1;
    }
    // No shell menu bar on this system: stand a window of our own where the shell would
    // put its bar, a strip along the bottom of the work area.
    const RECT area = m_shell.shell.GetWorkArea();
    const RECT bar{area.left, area.bottom - kCommandBarHeight, area.right, area.bottom};
    return CreateEx(0, nullptr, u"", WS_POPUP | (style & WS_VISIBLE), bar, parent, 0);
}

BOOL CCeCommandBar::InsertMenuBar(UINT resourceId) {
    m_hMenu = m_shell.menus.LoadMenuW(static_cast<WORD>(resourceId));
    if (!m_hMenu)
        return 0;
    if (auto* frame = dynamic_cast<CFrameWnd*>(m_parent))
        frame->SetRecordedMenu(m_hMenu);
    return 1;
}

BOOL CCeCommandBar::AddAdornments(DWORD flags) {
    m_adornments = flags;
    return 1;
}

}  // namespace velk

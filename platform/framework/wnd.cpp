#include "platform/framework/wnd.h"

#include <string>

namespace velk {

namespace {

std::u16string Hex(std::uintptr_t v) {
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string s;
    do {
        s.insert(s.begin(), digits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return s;
}

}  // namespace

CString AfxRegisterWndClass(IWindows& windows, UINT classStyle, LPARAM background) {
    CString name = u"Afx:" + Hex(classStyle) + u":" + Hex(static_cast<std::uintptr_t>(background));
    WNDCLASSW wc;
    wc.style = classStyle;
    wc.hbrBackground = background;
    wc.lpszClassName = name.c_str();
    // A second registration of the same class fails harmlessly: the class is there.
    windows.RegisterClassW(wc);
    return name;
}

// --- CWnd -------------------------------------------------------------------------------

CWnd::CWnd(const WndRoles& roles) : m_roles(roles) {}

CWnd::~CWnd() {
    // Our handler must not outlive the object: take the window down while the object
    // (now no more than a CWnd) can still receive its last messages.
    if (m_bound && m_hWnd)
        m_roles.windows.DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (cs.lpszClass.empty())
        cs.lpszClass = AfxRegisterWndClass(m_roles.windows, 0, 0);
    return 1;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                    DWORD style, const RECT& rect, CWnd* parent, UINT_PTR id) {
    CREATESTRUCTW cs;
    cs.dwExStyle = exStyle;
    if (className != nullptr)
        cs.lpszClass = className;
    if (windowName != nullptr)
        cs.lpszName = windowName;
    cs.style = style;
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent ? parent->m_hWnd : HWND{};
    cs.hMenu = id;
    if (!PreCreateWindow(cs))
        return 0;

    // Creation counts as a handler on the stack: a window refused during creation is
    // let go (PostNcDestroy) only after this function is done with the object.
    ++m_depth;
    m_bound = true;
    HWND hwnd = m_roles.windows.CreateWindowExW(cs.dwExStyle, cs.lpszClass.c_str(),
                                                cs.lpszName.c_str(), cs.style, cs.x, cs.y, cs.cx,
                                                cs.cy, cs.hwndParent, cs.hMenu, this);
    --m_depth;
    if (!hwnd) {
        // Refused: nothing of ours may stay attached to a window that does not exist.
        m_hWnd = HWND{};
        m_bound = false;
        if (m_finalPending) {
            m_finalPending = false;
            PostNcDestroy();  // may delete this
        }
        return 0;
    }
    if (!m_hWnd)
        m_hWnd = hwnd;  // a backend that sends nothing during creation
    return 1;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return 0;
    return m_roles.windows.DestroyWindow(m_hWnd);
}

HWND CWnd::Detach() {
    HWND h = m_hWnd;
    m_hWnd = HWND{};
    m_bound = false;
    return h;
}

BOOL CWnd::ShowWindow(INT cmdShow) {
    return m_roles.windows.ShowWindow(m_hWnd, cmdShow);
}
BOOL CWnd::UpdateWindow() {
    return m_roles.windows.UpdateWindow(m_hWnd);
}
BOOL CWnd::GetWindowRect(RECT* rect) const {
    return m_roles.windows.GetWindowRect(m_hWnd, rect);
}
HWND CWnd::SetFocus() {
    return m_roles.windows.SetFocus(m_hWnd);
}
BOOL CWnd::SetForegroundWindow() {
    return m_roles.desktop.SetForegroundWindow(m_hWnd);
}
BOOL CWnd::IsWindowVisible() const {
    return m_roles.windows.IsWindowVisible(m_hWnd);
}
HWND CWnd::GetDlgItem(INT id) const {
    return m_roles.dialogs.GetDlgItem(m_hWnd, id);
}

CString CWnd::GetWindowText() const {
    return GetWindowTextString(m_roles.desktop, m_hWnd);
}

BOOL CWnd::SetWindowText(const CString& text) {
    return m_roles.windows.SetWindowTextW(m_hWnd, text.c_str());
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) {
    return m_roles.timers.SetTimer(m_hWnd, id, elapse);
}
BOOL CWnd::KillTimer(UINT_PTR id) {
    return m_roles.timers.KillTimer(m_hWnd, id);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_roles.windows.SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return m_roles.windows.PostMessageW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd) {
        m_hWnd = hwnd;
        m_bound = true;
    }
    const MSG saved = m_current;
    m_current = MSG{hwnd, message, wParam, lParam, 0};
    ++m_depth;

    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        m_hWnd = HWND{};
        m_bound = false;
        m_finalPending = true;
        OnNcDestroy();
    }
    m_current = saved;
    --m_depth;
    if (m_finalPending && m_depth == 0) {
        m_finalPending = false;
        PostNcDestroy();  // may delete this: nothing touches the object after it
    }
    return result;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = m_hWnd ? m_hWnd : m_current.hwnd;
    return m_roles.windows.DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *result = 0;
            return 1;
        }
        return 0;
    }
    const MessageMapEntry* e = FindMessageEntry(GetMessageMap(), message, 0, 0);
    if (e == nullptr)
        return 0;
    *result = e->handler(*this, wParam, lParam);
    return 1;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators (no control window) count as plain commands.
    UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    return OnCmdMsg(LOWORD(wParam), code);
}

}  // namespace velk

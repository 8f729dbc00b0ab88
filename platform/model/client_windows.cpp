#include "platform/model/client_windows.h"

#include "platform/strings.h"

namespace velk::model {

BOOL ClientWindows::RegisterClassW(const WNDCLASSW& wc) {
    if (!wc.lpszClassName)
        return FALSE;
    model_.RegisterClass(wc.lpszClassName);
    // The Win32 result is an atom: any non-zero value.
    return TRUE;
}

HWND ClientWindows::CreateWindowExW(DWORD exStyle, const char16_t* className,
                                    const char16_t* windowName, DWORD style, INT x, INT y,
                                    INT width, INT height, HWND parent, UINT_PTR idOrMenu,
                                    IWindowHandler* handler) {
    return model_.CreateWindow(pid_, exStyle, className, windowName, style, x, y, width, height,
                               parent, idOrMenu, handler);
}

BOOL ClientWindows::DestroyWindow(HWND hwnd) {
    return model_.DestroyWindow(hwnd) ? TRUE : FALSE;
}

BOOL ClientWindows::IsWindow(HWND hwnd) {
    return model_.Find(hwnd) ? TRUE : FALSE;
}

LRESULT ClientWindows::DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return model_.DefWindowProc(hwnd, message, wParam, lParam);
}

INT ClientWindows::GetWindowTextLengthW(HWND hwnd) {
    const Window* w = model_.Find(hwnd);
    return w ? static_cast<INT>(w->caption.size()) : 0;
}

INT ClientWindows::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    const Window* w = model_.Find(hwnd);
    return CopyTruncated(w ? std::u16string_view(w->caption) : std::u16string_view(), buf,
                         maxCount);
}

BOOL ClientWindows::SetWindowTextW(HWND hwnd, const char16_t* text) {
    return model_.SetText(hwnd, text ? text : u"") ? TRUE : FALSE;
}

HWND ClientWindows::FindWindowW(const char16_t* className, const char16_t* windowName) {
    return model_.FindWindow(className, windowName);
}

BOOL ClientWindows::EnumWindows(const WNDENUMPROC& callback) {
    std::vector<HWND> windows = model_.ZOrder();
    for (HWND h : windows) {
        if (!model_.Find(h))
            continue;
        if (!callback(h))
            break;
    }
    return TRUE;
}

HWND ClientWindows::GetForegroundWindow() {
    return model_.Foreground();
}

BOOL ClientWindows::SetForegroundWindow(HWND hwnd) {
    return model_.SetForeground(hwnd) ? TRUE : FALSE;
}

BOOL ClientWindows::ShowWindow(HWND hwnd, INT cmdShow) {
    return model_.ShowWindow(hwnd, cmdShow) ? TRUE : FALSE;
}

BOOL ClientWindows::IsWindowVisible(HWND hwnd) {
    return model_.IsVisible(hwnd) ? TRUE : FALSE;
}

BOOL ClientWindows::UpdateWindow(HWND hwnd) {
    return model_.Find(hwnd) ? TRUE : FALSE;
}

BOOL ClientWindows::GetWindowRect(HWND hwnd, RECT* rect) {
    const Window* w = model_.Find(hwnd);
    if (w && rect)
        *rect = w->rect;
    return w ? TRUE : FALSE;
}

BOOL ClientWindows::SetWindowPos(HWND hwnd, HWND, INT x, INT y, INT cx, INT cy, UINT flags) {
    return model_.SetWindowPos(hwnd, x, y, cx, cy, flags) ? TRUE : FALSE;
}

LONG ClientWindows::GetWindowLongW(HWND hwnd, INT index) {
    const Window* w = model_.Find(hwnd);
    if (w && index == GWL_STYLE)
        return static_cast<LONG>(w->style);
    if (w && index == GWL_EXSTYLE)
        return static_cast<LONG>(w->exStyle);
    return 0;
}

HWND ClientWindows::GetParent(HWND hwnd) {
    const Window* w = model_.Find(hwnd);
    return w ? (w->IsChild() ? w->parent : w->owner) : HWND{};
}

HWND ClientWindows::GetWindow(HWND hwnd, UINT cmd) {
    const Window* w = model_.Find(hwnd);
    return (w && cmd == GW_OWNER) ? w->owner : HWND{};
}

HWND ClientWindows::SetFocus(HWND hwnd) {
    return model_.SetFocus(hwnd);
}

DWORD ClientWindows::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    const Window* w = model_.Find(hwnd);
    DWORD pid = w ? w->pid : 0;
    if (processId)
        *processId = pid;
    // One thread per client; its id is the process id plus one.
    return w ? pid + 1 : 0;
}

HDC ClientWindows::BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    const Window* w = model_.Find(hwnd);
    if (!w)
        return HDC{};
    HDC dc{hwnd.value};
    if (ps) {
        ps->hdc = dc;
        ps->rcPaint = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    }
    return dc;
}

BOOL ClientWindows::EndPaint(HWND, const PAINTSTRUCT*) {
    return TRUE;
}

BOOL ClientWindows::GetMessageW(MSG* msg, HWND, UINT, UINT) {
    return model_.GetMessage(pid_, msg) ? TRUE : FALSE;
}

BOOL ClientWindows::TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT ClientWindows::DispatchMessageW(const MSG* msg) {
    return msg ? model_.Dispatch(*msg) : 0;
}

BOOL ClientWindows::PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return model_.Post(pid_, hwnd, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT ClientWindows::SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return model_.Send(hwnd, message, wParam, lParam);
}

void ClientWindows::PostQuitMessage(INT exitCode) {
    model_.PostQuit(pid_, exitCode);
}

UINT ClientWindows::RegisterWindowMessageW(const char16_t* name) {
    return name ? model_.RegisterWindowMessage(name) : 0;
}

UINT_PTR ClientWindows::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    return model_.SetTimer(hwnd, id, elapse);
}

BOOL ClientWindows::KillTimer(HWND hwnd, UINT_PTR id) {
    return model_.KillTimer(hwnd, id) ? TRUE : FALSE;
}

BOOL ClientWindows::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    DWORD error = 0;
    if (model_.RegisterHotKey(hwnd, id, modifiers, vk, &error))
        return TRUE;
    model_.ClientOf(pid_).lastError = error;
    return FALSE;
}

BOOL ClientWindows::UnregisterHotKey(HWND hwnd, INT id) {
    return model_.UnregisterHotKey(hwnd, id) ? TRUE : FALSE;
}

SHORT ClientWindows::GetAsyncKeyState(INT vk) {
    return model_.KeyDown(static_cast<UINT>(vk)) ? static_cast<SHORT>(0x8000) : 0;
}

HWND ClientWindows::CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                          IWindowHandler* handler) {
    return model_.CreateDialog(pid_, tmpl, parent, handler);
}

BOOL ClientWindows::IsDialogMessageW(HWND, MSG*) {
    return FALSE;
}

HWND ClientWindows::GetDlgItem(HWND dialog, INT id) {
    return model_.GetDlgItem(dialog, id);
}

INT ClientWindows::GetDlgCtrlID(HWND hwnd) {
    const Window* w = model_.Find(hwnd);
    return w ? w->id : 0;
}

BOOL ClientWindows::MapDialogRect(HWND dialog, RECT* rect) {
    if (!model_.Find(dialog) || !rect)
        return FALSE;
    rect->left = WindowModel::DialogUnitsX(rect->left);
    rect->right = WindowModel::DialogUnitsX(rect->right);
    rect->top = WindowModel::DialogUnitsY(rect->top);
    rect->bottom = WindowModel::DialogUnitsY(rect->bottom);
    return TRUE;
}

INT ClientWindows::MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption,
                               UINT type) {
    return model_.MessageBox(pid_, owner, text, caption, type);
}

HMENU ClientWindows::LoadMenuW(WORD resourceId) {
    return model_.LoadMenu(resourceId);
}

HMENU ClientWindows::GetSubMenu(HMENU menu, INT pos) {
    return model_.GetSubMenu(menu, pos);
}

BOOL ClientWindows::DestroyMenu(HMENU menu) {
    return model_.DestroyMenu(menu) ? TRUE : FALSE;
}

BOOL ClientWindows::TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    return model_.TrackPopupMenu(pid_, menu, flags, x, y, owner) ? TRUE : FALSE;
}

HICON ClientWindows::LoadIconW(WORD resourceId) {
    return model_.LoadIcon(resourceId);
}

}  // namespace velk::model

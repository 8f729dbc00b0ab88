#include "platform/sim/window_system.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::sim {

namespace {

std::string Num(long long v) {
    return std::to_string(v);
}

std::string Rect(const RECT& r) {
    return "{" + Num(r.left) + ", " + Num(r.top) + ", " + Num(r.right) + ", " + Num(r.bottom) + "}";
}

}  // namespace

void SimWindowSystem::Record(const char* name, const std::string& args) {
    if (world_.Traced(pid_))
        world_.GetTrace().Record(world_.GetClock().Now(), name, args);
}

std::string SimWindowSystem::Window(HWND hwnd) const {
    std::string s = TraceHandle(hwnd.value);
    if (const SimWindow* w = world_.Find(hwnd); w && !w->caption.empty())
        s += " " + TraceString(w->caption.c_str());
    return s;
}

BOOL SimWindowSystem::RegisterClassW(const WNDCLASSW& wc) {
    Record("RegisterClassW", TraceString(wc.lpszClassName) + ", style " + Num(wc.style));
    if (!wc.lpszClassName)
        return FALSE;
    world_.RegisterClass(wc.lpszClassName);
    // The Win32 result is an atom: any non-zero value.
    return TRUE;
}

HWND SimWindowSystem::CreateWindowExW(DWORD exStyle, const char16_t* className,
                                      const char16_t* windowName, DWORD style, INT x, INT y,
                                      INT width, INT height, HWND parent, UINT_PTR idOrMenu,
                                      IWindowHandler* handler) {
    Record("CreateWindowExW", TraceHandle(exStyle) + ", " + TraceString(className) + ", " +
                                  TraceString(windowName) + ", " + TraceHandle(style) + ", " +
                                  Num(x) + ", " + Num(y) + ", " + Num(width) + ", " + Num(height) +
                                  ", " + Window(parent) + ", " + Num(idOrMenu));
    return world_.CreateWindow(pid_, exStyle, className, windowName, style, x, y, width, height,
                               parent, idOrMenu, handler);
}

BOOL SimWindowSystem::DestroyWindow(HWND hwnd) {
    Record("DestroyWindow", Window(hwnd));
    return world_.DestroyWindow(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsWindow(HWND hwnd) {
    bool exists = world_.Find(hwnd) != nullptr;
    Record("IsWindow", TraceHandle(hwnd.value) + (exists ? " -> TRUE" : " -> FALSE"));
    return exists ? TRUE : FALSE;
}

LRESULT SimWindowSystem::DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return world_.DefWindowProc(hwnd, message, wParam, lParam);
}

INT SimWindowSystem::GetWindowTextLengthW(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    INT length = w ? static_cast<INT>(w->caption.size()) : 0;
    Record("GetWindowTextLengthW", TraceHandle(hwnd.value) + " -> " + Num(length));
    return length;
}

INT SimWindowSystem::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    const SimWindow* w = world_.Find(hwnd);
    std::u16string text = w ? w->caption : u"";
    INT copied = 0;
    if (buf && maxCount > 0) {
        copied = std::min(static_cast<INT>(text.size()), maxCount - 1);
        std::copy(text.begin(), text.begin() + copied, buf);
        buf[copied] = u'\0';
    }
    Record("GetWindowTextW", TraceHandle(hwnd.value) + ", " + Num(maxCount) + " -> " +
                                 TraceString(text.substr(0, copied).c_str()));
    return copied;
}

BOOL SimWindowSystem::SetWindowTextW(HWND hwnd, const char16_t* text) {
    Record("SetWindowTextW", TraceHandle(hwnd.value) + ", " + TraceString(text));
    SimWindow* w = world_.Find(hwnd);
    if (!w)
        return FALSE;
    w->caption = text ? text : u"";
    return TRUE;
}

HWND SimWindowSystem::FindWindowW(const char16_t* className, const char16_t* windowName) {
    HWND found = world_.FindWindow(className, windowName);
    Record("FindWindowW",
           TraceString(className) + ", " + TraceString(windowName) + " -> " + Window(found));
    return found;
}

BOOL SimWindowSystem::EnumWindows(const WNDENUMPROC& callback) {
    Record("EnumWindows", "");
    std::vector<HWND> windows = world_.ZOrder();
    for (HWND h : windows) {
        if (!world_.Find(h))
            continue;
        if (!callback(h))
            break;
    }
    return TRUE;
}

HWND SimWindowSystem::GetForegroundWindow() {
    HWND h = world_.Foreground();
    Record("GetForegroundWindow", "-> " + Window(h));
    return h;
}

BOOL SimWindowSystem::SetForegroundWindow(HWND hwnd) {
    Record("SetForegroundWindow", TraceHandle(hwnd.value));
    return world_.SetForeground(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::ShowWindow(HWND hwnd, INT cmdShow) {
    Record("ShowWindow", Window(hwnd) + ", " + Num(cmdShow));
    return world_.ShowWindow(hwnd, cmdShow) ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsWindowVisible(HWND hwnd) {
    bool visible = world_.IsVisible(hwnd);
    Record("IsWindowVisible", TraceHandle(hwnd.value) + (visible ? " -> TRUE" : " -> FALSE"));
    return visible ? TRUE : FALSE;
}

BOOL SimWindowSystem::UpdateWindow(HWND hwnd) {
    Record("UpdateWindow", TraceHandle(hwnd.value));
    return world_.Find(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::GetWindowRect(HWND hwnd, RECT* rect) {
    const SimWindow* w = world_.Find(hwnd);
    if (w && rect)
        *rect = w->rect;
    Record("GetWindowRect", TraceHandle(hwnd.value) + (w ? " -> " + Rect(w->rect) : ""));
    return w ? TRUE : FALSE;
}

BOOL SimWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                                   UINT flags) {
    Record("SetWindowPos", TraceHandle(hwnd.value) + ", " + TraceHandle(insertAfter.value) + ", " +
                               Num(x) + ", " + Num(y) + ", " + Num(cx) + ", " + Num(cy) + ", " +
                               TraceHandle(flags));
    return world_.SetWindowPos(hwnd, x, y, cx, cy, flags) ? TRUE : FALSE;
}

LONG SimWindowSystem::GetWindowLongW(HWND hwnd, INT index) {
    const SimWindow* w = world_.Find(hwnd);
    LONG value = 0;
    if (w && index == GWL_STYLE)
        value = static_cast<LONG>(w->style);
    else if (w && index == GWL_EXSTYLE)
        value = static_cast<LONG>(w->exStyle);
    Record("GetWindowLongW", TraceHandle(hwnd.value) + ", " + Num(index) + " -> " +
                                 TraceHandle(static_cast<DWORD>(value)));
    return value;
}

HWND SimWindowSystem::GetParent(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    HWND parent = w ? (w->IsChild() ? w->parent : w->owner) : HWND{};
    Record("GetParent", TraceHandle(hwnd.value) + " -> " + TraceHandle(parent.value));
    return parent;
}

HWND SimWindowSystem::GetWindow(HWND hwnd, UINT cmd) {
    const SimWindow* w = world_.Find(hwnd);
    HWND result = (w && cmd == GW_OWNER) ? w->owner : HWND{};
    Record("GetWindow",
           TraceHandle(hwnd.value) + ", " + Num(cmd) + " -> " + TraceHandle(result.value));
    return result;
}

HWND SimWindowSystem::SetFocus(HWND hwnd) {
    Record("SetFocus", TraceHandle(hwnd.value));
    return world_.SetFocus(hwnd);
}

DWORD SimWindowSystem::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    const SimWindow* w = world_.Find(hwnd);
    DWORD pid = w ? w->pid : 0;
    if (processId)
        *processId = pid;
    Record("GetWindowThreadProcessId", TraceHandle(hwnd.value) + " -> " + Num(pid));
    // One thread per simulated process; its id is the process id plus one.
    return w ? pid + 1 : 0;
}

HDC SimWindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Record("BeginPaint", TraceHandle(hwnd.value));
    const SimWindow* w = world_.Find(hwnd);
    if (!w)
        return HDC{};
    HDC dc{hwnd.value};
    if (ps) {
        ps->hdc = dc;
        ps->rcPaint = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    }
    return dc;
}

BOOL SimWindowSystem::EndPaint(HWND hwnd, const PAINTSTRUCT*) {
    Record("EndPaint", TraceHandle(hwnd.value));
    return TRUE;
}

BOOL SimWindowSystem::GetMessageW(MSG* msg, HWND, UINT, UINT) {
    return world_.GetMessage(pid_, msg) ? TRUE : FALSE;
}

BOOL SimWindowSystem::TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT SimWindowSystem::DispatchMessageW(const MSG* msg) {
    return msg ? world_.Dispatch(*msg) : 0;
}

BOOL SimWindowSystem::PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("PostMessageW",
           Window(hwnd) + ", " + MessageName(message) + ", " + Num(wParam) + ", " + Num(lParam));
    return world_.Post(pid_, hwnd, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SimWindowSystem::SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("SendMessageW",
           Window(hwnd) + ", " + MessageName(message) + ", " + Num(wParam) + ", " + Num(lParam));
    return world_.Send(hwnd, message, wParam, lParam);
}

void SimWindowSystem::PostQuitMessage(INT exitCode) {
    Record("PostQuitMessage", Num(exitCode));
    world_.PostQuit(pid_, exitCode);
}

UINT SimWindowSystem::RegisterWindowMessageW(const char16_t* name) {
    UINT id = name ? world_.RegisterWindowMessage(name) : 0;
    Record("RegisterWindowMessageW", TraceString(name) + " -> " + Num(id));
    return id;
}

UINT_PTR SimWindowSystem::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    Record("SetTimer", Window(hwnd) + ", " + Num(id) + ", " + Num(elapse));
    return world_.SetTimer(hwnd, id, elapse);
}

BOOL SimWindowSystem::KillTimer(HWND hwnd, UINT_PTR id) {
    Record("KillTimer", Window(hwnd) + ", " + Num(id));
    return world_.KillTimer(hwnd, id) ? TRUE : FALSE;
}

BOOL SimWindowSystem::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    DWORD error = 0;
    bool ok = world_.RegisterHotKey(hwnd, id, modifiers, vk, &error);
    if (!ok)
        world_.Process(pid_).lastError = error;
    Record("RegisterHotKey", Window(hwnd) + ", " + TraceHandle(id) + ", " + TraceHandle(modifiers) +
                                 ", " + TraceHandle(vk) + (ok ? " -> TRUE" : " -> FALSE"));
    return ok ? TRUE : FALSE;
}

BOOL SimWindowSystem::UnregisterHotKey(HWND hwnd, INT id) {
    Record("UnregisterHotKey", Window(hwnd) + ", " + TraceHandle(id));
    return world_.UnregisterHotKey(hwnd, id) ? TRUE : FALSE;
}

SHORT SimWindowSystem::GetAsyncKeyState(INT vk) {
    bool down = world_.KeyDown(static_cast<UINT>(vk));
    SHORT state = down ? static_cast<SHORT>(0x8000) : 0;
    Record("GetAsyncKeyState", TraceHandle(vk) + (down ? " -> 0x8000" : " -> 0"));
    return state;
}

HWND SimWindowSystem::CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                            IWindowHandler* handler) {
    Record("CreateDialogIndirectW",
           Num(tmpl.id) + " " + TraceString(tmpl.caption) + ", " + Window(parent));
    return world_.CreateDialog(pid_, tmpl, parent, handler);
}

BOOL SimWindowSystem::IsDialogMessageW(HWND, MSG*) {
    return FALSE;
}

HWND SimWindowSystem::GetDlgItem(HWND dialog, INT id) {
    HWND item = world_.GetDlgItem(dialog, id);
    Record("GetDlgItem",
           TraceHandle(dialog.value) + ", " + Num(id) + " -> " + TraceHandle(item.value));
    return item;
}

INT SimWindowSystem::GetDlgCtrlID(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    INT id = w ? w->id : 0;
    Record("GetDlgCtrlID", TraceHandle(hwnd.value) + " -> " + Num(id));
    return id;
}

BOOL SimWindowSystem::MapDialogRect(HWND dialog, RECT* rect) {
    Record("MapDialogRect", TraceHandle(dialog.value) + (rect ? ", " + Rect(*rect) : ""));
    if (!world_.Find(dialog) || !rect)
        return FALSE;
    rect->left = World::DialogUnitsX(rect->left);
    rect->right = World::DialogUnitsX(rect->right);
    rect->top = World::DialogUnitsY(rect->top);
    rect->bottom = World::DialogUnitsY(rect->bottom);
    return TRUE;
}

INT SimWindowSystem::MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption,
                                 UINT type) {
    Record("MessageBoxW", Window(owner) + ", " + TraceString(text) + ", " + TraceString(caption) +
                              ", " + TraceHandle(type));
    return world_.MessageBox(pid_, owner, text, caption, type);
}

HMENU SimWindowSystem::LoadMenuW(WORD resourceId) {
    HMENU menu = world_.LoadMenu(resourceId);
    Record("LoadMenuW", Num(resourceId) + " -> " + TraceHandle(menu.value));
    return menu;
}

HMENU SimWindowSystem::GetSubMenu(HMENU menu, INT pos) {
    HMENU sub = world_.GetSubMenu(menu, pos);
    Record("GetSubMenu",
           TraceHandle(menu.value) + ", " + Num(pos) + " -> " + TraceHandle(sub.value));
    return sub;
}

BOOL SimWindowSystem::DestroyMenu(HMENU menu) {
    Record("DestroyMenu", TraceHandle(menu.value));
    return world_.DestroyMenu(menu) ? TRUE : FALSE;
}

BOOL SimWindowSystem::TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    Record("TrackPopupMenuEx", TraceHandle(menu.value) + ", " + TraceHandle(flags) + ", " + Num(x) +
                                   ", " + Num(y) + ", " + Window(owner));
    return world_.TrackPopupMenu(pid_, menu, flags, x, y, owner) ? TRUE : FALSE;
}

HICON SimWindowSystem::LoadIconW(WORD resourceId) {
    HICON icon = world_.LoadIcon(resourceId);
    Record("LoadIconW", Num(resourceId) + " -> " + TraceHandle(icon.value));
    return icon;
}

}  // namespace velk::sim

#include "platform/trace/window_system.h"

#include "platform/strings.h"
#include "platform/trace/format.h"

namespace velk::trace {

namespace {

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

}  // namespace

std::string TracedWindowSystem::Window(HWND hwnd) {
    std::string s = TraceHandle(hwnd.value);
    const CString caption = GetWindowTextString(inner_, hwnd);
    if (!caption.empty())
        s.append(" ").append(TraceString(caption));
    return s;
}

BOOL TracedWindowSystem::RegisterClassW(const WNDCLASSW& wc) {
    Record("RegisterClassW",
           [&] { return TraceString(wc.lpszClassName) + ", style " + TraceNum(wc.style); });
    return inner_.RegisterClassW(wc);
}

HWND TracedWindowSystem::CreateWindowExW(DWORD exStyle, const char16_t* className,
                                         const char16_t* windowName, DWORD style, INT x, INT y,
                                         INT width, INT height, HWND parent, UINT_PTR idOrMenu,
                                         IWindowHandler* handler) {
    Record("CreateWindowExW", [&] {
        return TraceHandle(exStyle) + ", " + TraceString(className) + ", " +
               TraceString(windowName) + ", " + TraceHandle(style) + ", " + TraceNum(x) + ", " +
               TraceNum(y) + ", " + TraceNum(width) + ", " + TraceNum(height) + ", " +
               Window(parent) + ", " + TraceNum(idOrMenu);
    });
    return inner_.CreateWindowExW(exStyle, className, windowName, style, x, y, width, height,
                                  parent, idOrMenu, handler);
}

BOOL TracedWindowSystem::DestroyWindow(HWND hwnd) {
    Record("DestroyWindow", [&] { return Window(hwnd); });
    return inner_.DestroyWindow(hwnd);
}

BOOL TracedWindowSystem::IsWindow(HWND hwnd) {
    bool exists = inner_.IsWindow(hwnd) != FALSE;
    Record("IsWindow",
           [&] { return TraceHandle(hwnd.value) + (exists ? " -> TRUE" : " -> FALSE"); });
    return exists ? TRUE : FALSE;
}

LRESULT TracedWindowSystem::DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return inner_.DefWindowProcW(hwnd, message, wParam, lParam);
}

INT TracedWindowSystem::GetWindowTextLengthW(HWND hwnd) {
    INT length = inner_.GetWindowTextLengthW(hwnd);
    Record("GetWindowTextLengthW",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(length); });
    return length;
}

INT TracedWindowSystem::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    INT copied = inner_.GetWindowTextW(hwnd, buf, maxCount);
    Record("GetWindowTextW", [&] {
        const std::u16string_view text =
            copied > 0 ? std::u16string_view(buf, static_cast<std::size_t>(copied)) : u"";
        return TraceHandle(hwnd.value) + ", " + TraceNum(maxCount) + " -> " + TraceString(text);
    });
    return copied;
}

BOOL TracedWindowSystem::SetWindowTextW(HWND hwnd, const char16_t* text) {
    Record("SetWindowTextW", [&] { return TraceHandle(hwnd.value) + ", " + TraceString(text); });
    return inner_.SetWindowTextW(hwnd, text);
}

HWND TracedWindowSystem::FindWindowW(const char16_t* className, const char16_t* windowName) {
    HWND found = inner_.FindWindowW(className, windowName);
    Record("FindWindowW", [&] {
        return TraceString(className) + ", " + TraceString(windowName) + " -> " + Window(found);
    });
    return found;
}

BOOL TracedWindowSystem::EnumWindows(const WNDENUMPROC& callback) {
    Record("EnumWindows", [&] { return ""; });
    return inner_.EnumWindows(callback);
}

HWND TracedWindowSystem::GetForegroundWindow() {
    HWND h = inner_.GetForegroundWindow();
    Record("GetForegroundWindow", [&] { return "-> " + Window(h); });
    return h;
}

BOOL TracedWindowSystem::SetForegroundWindow(HWND hwnd) {
    Record("SetForegroundWindow", [&] { return TraceHandle(hwnd.value); });
    return inner_.SetForegroundWindow(hwnd);
}

BOOL TracedWindowSystem::ShowWindow(HWND hwnd, INT cmdShow) {
    Record("ShowWindow", [&] { return Window(hwnd) + ", " + TraceNum(cmdShow); });
    return inner_.ShowWindow(hwnd, cmdShow);
}

BOOL TracedWindowSystem::IsWindowVisible(HWND hwnd) {
    bool visible = inner_.IsWindowVisible(hwnd) != FALSE;
    Record("IsWindowVisible",
           [&] { return TraceHandle(hwnd.value) + (visible ? " -> TRUE" : " -> FALSE"); });
    return visible ? TRUE : FALSE;
}

BOOL TracedWindowSystem::UpdateWindow(HWND hwnd) {
    Record("UpdateWindow", [&] { return TraceHandle(hwnd.value); });
    return inner_.UpdateWindow(hwnd);
}

BOOL TracedWindowSystem::GetWindowRect(HWND hwnd, RECT* rect) {
    RECT got;
    BOOL ok = inner_.GetWindowRect(hwnd, &got);
    if (ok && rect)
        *rect = got;
    Record("GetWindowRect",
           [&] { return TraceHandle(hwnd.value) + (ok ? " -> " + TraceRect(got) : ""); });
    return ok;
}

BOOL TracedWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                                      UINT flags) {
    Record("SetWindowPos", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceHandle(insertAfter.value) + ", " +
               TraceNum(x) + ", " + TraceNum(y) + ", " + TraceNum(cx) + ", " + TraceNum(cy) + ", " +
               TraceHandle(flags);
    });
    return inner_.SetWindowPos(hwnd, insertAfter, x, y, cx, cy, flags);
}

LONG TracedWindowSystem::GetWindowLongW(HWND hwnd, INT index) {
    LONG value = inner_.GetWindowLongW(hwnd, index);
    Record("GetWindowLongW", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(index) + " -> " +
               TraceHandle(static_cast<DWORD>(value));
    });
    return value;
}

HWND TracedWindowSystem::GetParent(HWND hwnd) {
    HWND parent = inner_.GetParent(hwnd);
    Record("GetParent",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceHandle(parent.value); });
    return parent;
}

HWND TracedWindowSystem::GetWindow(HWND hwnd, UINT cmd) {
    HWND result = inner_.GetWindow(hwnd, cmd);
    Record("GetWindow", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(cmd) + " -> " + TraceHandle(result.value);
    });
    return result;
}

HWND TracedWindowSystem::SetFocus(HWND hwnd) {
    Record("SetFocus", [&] { return TraceHandle(hwnd.value); });
    return inner_.SetFocus(hwnd);
}

DWORD TracedWindowSystem::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    DWORD pid = 0;
    DWORD thread = inner_.GetWindowThreadProcessId(hwnd, &pid);
    if (processId)
        *processId = pid;
    Record("GetWindowThreadProcessId",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(pid); });
    return thread;
}

HDC TracedWindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Record("BeginPaint", [&] { return TraceHandle(hwnd.value); });
    return inner_.BeginPaint(hwnd, ps);
}

BOOL TracedWindowSystem::EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    Record("EndPaint", [&] { return TraceHandle(hwnd.value); });
    return inner_.EndPaint(hwnd, ps);
}

BOOL TracedWindowSystem::GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    return inner_.GetMessageW(msg, hwnd, filterMin, filterMax);
}

BOOL TracedWindowSystem::TranslateMessage(const MSG* msg) {
    return inner_.TranslateMessage(msg);
}

LRESULT TracedWindowSystem::DispatchMessageW(const MSG* msg) {
    return inner_.DispatchMessageW(msg);
}

BOOL TracedWindowSystem::PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("PostMessageW", [&] {
        return Window(hwnd) + ", " + MessageName(message) + ", " + TraceNum(wParam) + ", " +
               TraceNum(lParam);
    });
    return inner_.PostMessageW(hwnd, message, wParam, lParam);
}

LRESULT TracedWindowSystem::SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("SendMessageW", [&] {
        return Window(hwnd) + ", " + MessageName(message) + ", " + TraceNum(wParam) + ", " +
               TraceNum(lParam);
    });
    return inner_.SendMessageW(hwnd, message, wParam, lParam);
}

void TracedWindowSystem::PostQuitMessage(INT exitCode) {
    Record("PostQuitMessage", [&] { return TraceNum(exitCode); });
    inner_.PostQuitMessage(exitCode);
}

UINT TracedWindowSystem::RegisterWindowMessageW(const char16_t* name) {
    UINT id = inner_.RegisterWindowMessageW(name);
    Record("RegisterWindowMessageW", [&] { return TraceString(name) + " -> " + TraceNum(id); });
    return id;
}

UINT_PTR TracedWindowSystem::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    Record("SetTimer",
           [&] { return Window(hwnd) + ", " + TraceNum(id) + ", " + TraceNum(elapse); });
    return inner_.SetTimer(hwnd, id, elapse);
}

BOOL TracedWindowSystem::KillTimer(HWND hwnd, UINT_PTR id) {
    Record("KillTimer", [&] { return Window(hwnd) + ", " + TraceNum(id); });
    return inner_.KillTimer(hwnd, id);
}

BOOL TracedWindowSystem::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    bool ok = inner_.RegisterHotKey(hwnd, id, modifiers, vk) != FALSE;
    Record("RegisterHotKey", [&] {
        return Window(hwnd) + ", " + TraceHandle(id) + ", " + TraceHandle(modifiers) + ", " +
               TraceHandle(vk) + (ok ? " -> TRUE" : " -> FALSE");
    });
    return ok ? TRUE : FALSE;
}

BOOL TracedWindowSystem::UnregisterHotKey(HWND hwnd, INT id) {
    Record("UnregisterHotKey", [&] { return Window(hwnd) + ", " + TraceHandle(id); });
    return inner_.UnregisterHotKey(hwnd, id);
}

SHORT TracedWindowSystem::GetAsyncKeyState(INT vk) {
    SHORT state = inner_.GetAsyncKeyState(vk);
    bool down = (state & 0x8000) != 0;
    Record("GetAsyncKeyState", [&] { return TraceHandle(vk) + (down ? " -> 0x8000" : " -> 0"); });
    return state;
}

HWND TracedWindowSystem::CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                               IWindowHandler* handler) {
    Record("CreateDialogIndirectW", [&] {
        return TraceNum(tmpl.id) + " " + TraceString(tmpl.caption) + ", " + Window(parent);
    });
    return inner_.CreateDialogIndirectW(tmpl, parent, handler);
}

BOOL TracedWindowSystem::IsDialogMessageW(HWND dialog, MSG* msg) {
    return inner_.IsDialogMessageW(dialog, msg);
}

HWND TracedWindowSystem::GetDlgItem(HWND dialog, INT id) {
    HWND item = inner_.GetDlgItem(dialog, id);
    Record("GetDlgItem", [&] {
        return TraceHandle(dialog.value) + ", " + TraceNum(id) + " -> " + TraceHandle(item.value);
    });
    return item;
}

INT TracedWindowSystem::GetDlgCtrlID(HWND hwnd) {
    INT id = inner_.GetDlgCtrlID(hwnd);
    Record("GetDlgCtrlID", [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(id); });
    return id;
}

BOOL TracedWindowSystem::MapDialogRect(HWND dialog, RECT* rect) {
    Record("MapDialogRect",
           [&] { return TraceHandle(dialog.value) + (rect ? ", " + TraceRect(*rect) : ""); });
    return inner_.MapDialogRect(dialog, rect);
}

INT TracedWindowSystem::MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption,
                                    UINT type) {
    Record("MessageBoxW", [&] {
        return Window(owner) + ", " + TraceString(text) + ", " + TraceString(caption) + ", " +
               TraceHandle(type);
    });
    return inner_.MessageBoxW(owner, text, caption, type);
}

HMENU TracedWindowSystem::LoadMenuW(WORD resourceId) {
    HMENU menu = inner_.LoadMenuW(resourceId);
    Record("LoadMenuW", [&] { return TraceNum(resourceId) + " -> " + TraceHandle(menu.value); });
    return menu;
}

HMENU TracedWindowSystem::GetSubMenu(HMENU menu, INT pos) {
    HMENU sub = inner_.GetSubMenu(menu, pos);
    Record("GetSubMenu", [&] {
        return TraceHandle(menu.value) + ", " + TraceNum(pos) + " -> " + TraceHandle(sub.value);
    });
    return sub;
}

BOOL TracedWindowSystem::DestroyMenu(HMENU menu) {
    Record("DestroyMenu", [&] { return TraceHandle(menu.value); });
    return inner_.DestroyMenu(menu);
}

BOOL TracedWindowSystem::TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    Record("TrackPopupMenuEx", [&] {
        return TraceHandle(menu.value) + ", " + TraceHandle(flags) + ", " + TraceNum(x) + ", " +
               TraceNum(y) + ", " + Window(owner);
    });
    return inner_.TrackPopupMenuEx(menu, flags, x, y, owner);
}

HICON TracedWindowSystem::LoadIconW(WORD resourceId) {
    HICON icon = inner_.LoadIconW(resourceId);
    recorder_.NameIcon(icon.value, resourceId);
    Record("LoadIconW", [&] { return TraceNum(resourceId) + " -> " + TraceHandle(icon.value); });
    return icon;
}

}  // namespace velk::trace

#include "platform/sim/window_system.h"

#include <algorithm>

#include "platform/sim/trace_format.h"
#include "platform/strings.h"

namespace velk::sim {

std::string SimWindowSystem::Window(HWND hwnd) const {
    std::string s = TraceHandle(hwnd.value);
    if (const SimWindow* w = world_.Find(hwnd); w && !w->caption.empty())
        s.append(" ").append(TraceString(w->caption.c_str()));
    return s;
}

BOOL SimWindowSystem::RegisterClassW(const WNDCLASSW& wc) {
    Record("RegisterClassW",
           [&] { return TraceString(wc.lpszClassName) + ", style " + TraceNum(wc.style); });
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
    Record("CreateWindowExW", [&] {
        return TraceHandle(exStyle) + ", " + TraceString(className) + ", " +
               TraceString(windowName) + ", " + TraceHandle(style) + ", " + TraceNum(x) + ", " +
               TraceNum(y) + ", " + TraceNum(width) + ", " + TraceNum(height) + ", " +
               Window(parent) + ", " + TraceNum(idOrMenu);
    });
    return world_.CreateWindow(pid_, exStyle, className, windowName, style, x, y, width, height,
                               parent, idOrMenu, handler);
}

BOOL SimWindowSystem::DestroyWindow(HWND hwnd) {
    Record("DestroyWindow", [&] { return Window(hwnd); });
    return world_.DestroyWindow(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsWindow(HWND hwnd) {
    bool exists = world_.Find(hwnd) != nullptr;
    Record("IsWindow",
           [&] { return TraceHandle(hwnd.value) + (exists ? " -> TRUE" : " -> FALSE"); });
    return exists ? TRUE : FALSE;
}

LRESULT SimWindowSystem::DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return world_.DefWindowProc(hwnd, message, wParam, lParam);
}

INT SimWindowSystem::GetWindowTextLengthW(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    INT length = w ? static_cast<INT>(w->caption.size()) : 0;
    Record("GetWindowTextLengthW",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(length); });
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
    Record("GetWindowTextW", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(maxCount) + " -> " +
               TraceString(text.substr(0, copied).c_str());
    });
    return copied;
}

BOOL SimWindowSystem::SetWindowTextW(HWND hwnd, const char16_t* text) {
    Record("SetWindowTextW", [&] { return TraceHandle(hwnd.value) + ", " + TraceString(text); });
    SimWindow* w = world_.Find(hwnd);
    if (!w)
        return FALSE;
    w->caption = text ? text : u"";
    return TRUE;
}

HWND SimWindowSystem::FindWindowW(const char16_t* className, const char16_t* windowName) {
    HWND found = world_.FindWindow(className, windowName);
    Record("FindWindowW", [&] {
        return TraceString(className) + ", " + TraceString(windowName) + " -> " + Window(found);
    });
    return found;
}

BOOL SimWindowSystem::EnumWindows(const WNDENUMPROC& callback) {
    Record("EnumWindows", [&] { return ""; });
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
    Record("GetForegroundWindow", [&] { return "-> " + Window(h); });
    return h;
}

BOOL SimWindowSystem::SetForegroundWindow(HWND hwnd) {
    Record("SetForegroundWindow", [&] { return TraceHandle(hwnd.value); });
    return world_.SetForeground(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::ShowWindow(HWND hwnd, INT cmdShow) {
    Record("ShowWindow", [&] { return Window(hwnd) + ", " + TraceNum(cmdShow); });
    return world_.ShowWindow(hwnd, cmdShow) ? TRUE : FALSE;
}

BOOL SimWindowSystem::IsWindowVisible(HWND hwnd) {
    bool visible = world_.IsVisible(hwnd);
    Record("IsWindowVisible",
           [&] { return TraceHandle(hwnd.value) + (visible ? " -> TRUE" : " -> FALSE"); });
    return visible ? TRUE : FALSE;
}

BOOL SimWindowSystem::UpdateWindow(HWND hwnd) {
    Record("UpdateWindow", [&] { return TraceHandle(hwnd.value); });
    return world_.Find(hwnd) ? TRUE : FALSE;
}

BOOL SimWindowSystem::GetWindowRect(HWND hwnd, RECT* rect) {
    const SimWindow* w = world_.Find(hwnd);
    if (w && rect)
        *rect = w->rect;
    Record("GetWindowRect",
           [&] { return TraceHandle(hwnd.value) + (w ? " -> " + TraceRect(w->rect) : ""); });
    return w ? TRUE : FALSE;
}

BOOL SimWindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                                   UINT flags) {
    Record("SetWindowPos", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceHandle(insertAfter.value) + ", " +
               TraceNum(x) + ", " + TraceNum(y) + ", " + TraceNum(cx) + ", " + TraceNum(cy) + ", " +
               TraceHandle(flags);
    });
    return world_.SetWindowPos(hwnd, x, y, cx, cy, flags) ? TRUE : FALSE;
}

LONG SimWindowSystem::GetWindowLongW(HWND hwnd, INT index) {
    const SimWindow* w = world_.Find(hwnd);
    LONG value = 0;
    if (w && index == GWL_STYLE)
        value = static_cast<LONG>(w->style);
    else if (w && index == GWL_EXSTYLE)
        value = static_cast<LONG>(w->exStyle);
    Record("GetWindowLongW", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(index) + " -> " +
               TraceHandle(static_cast<DWORD>(value));
    });
    return value;
}

HWND SimWindowSystem::GetParent(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    HWND parent = w ? (w->IsChild() ? w->parent : w->owner) : HWND{};
    Record("GetParent",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceHandle(parent.value); });
    return parent;
}

HWND SimWindowSystem::GetWindow(HWND hwnd, UINT cmd) {
    const SimWindow* w = world_.Find(hwnd);
    HWND result = (w && cmd == GW_OWNER) ? w->owner : HWND{};
    Record("GetWindow", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(cmd) + " -> " + TraceHandle(result.value);
    });
    return result;
}

HWND SimWindowSystem::SetFocus(HWND hwnd) {
    Record("SetFocus", [&] { return TraceHandle(hwnd.value); });
    return world_.SetFocus(hwnd);
}

DWORD SimWindowSystem::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    const SimWindow* w = world_.Find(hwnd);
    DWORD pid = w ? w->pid : 0;
    if (processId)
        *processId = pid;
    Record("GetWindowThreadProcessId",
           [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(pid); });
    // One thread per simulated process; its id is the process id plus one.
    return w ? pid + 1 : 0;
}

HDC SimWindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Record("BeginPaint", [&] { return TraceHandle(hwnd.value); });
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
    Record("EndPaint", [&] { return TraceHandle(hwnd.value); });
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
    Record("PostMessageW", [&] {
        return Window(hwnd) + ", " + MessageName(message) + ", " + TraceNum(wParam) + ", " +
               TraceNum(lParam);
    });
    return world_.Post(pid_, hwnd, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SimWindowSystem::SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Record("SendMessageW", [&] {
        return Window(hwnd) + ", " + MessageName(message) + ", " + TraceNum(wParam) + ", " +
               TraceNum(lParam);
    });
    return world_.Send(hwnd, message, wParam, lParam);
}

void SimWindowSystem::PostQuitMessage(INT exitCode) {
    Record("PostQuitMessage", [&] { return TraceNum(exitCode); });
    world_.PostQuit(pid_, exitCode);
}

UINT SimWindowSystem::RegisterWindowMessageW(const char16_t* name) {
    UINT id = name ? world_.RegisterWindowMessage(name) : 0;
    Record("RegisterWindowMessageW", [&] { return TraceString(name) + " -> " + TraceNum(id); });
    return id;
}

UINT_PTR SimWindowSystem::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    Record("SetTimer",
           [&] { return Window(hwnd) + ", " + TraceNum(id) + ", " + TraceNum(elapse); });
    return world_.SetTimer(hwnd, id, elapse);
}

BOOL SimWindowSystem::KillTimer(HWND hwnd, UINT_PTR id) {
    Record("KillTimer", [&] { return Window(hwnd) + ", " + TraceNum(id); });
    return world_.KillTimer(hwnd, id) ? TRUE : FALSE;
}

BOOL SimWindowSystem::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    DWORD error = 0;
    bool ok = world_.RegisterHotKey(hwnd, id, modifiers, vk, &error);
    if (!ok)
        world_.Process(pid_).lastError = error;
    Record("RegisterHotKey", [&] {
        return Window(hwnd) + ", " + TraceHandle(id) + ", " + TraceHandle(modifiers) + ", " +
               TraceHandle(vk) + (ok ? " -> TRUE" : " -> FALSE");
    });
    return ok ? TRUE : FALSE;
}

BOOL SimWindowSystem::UnregisterHotKey(HWND hwnd, INT id) {
    Record("UnregisterHotKey", [&] { return Window(hwnd) + ", " + TraceHandle(id); });
    return world_.UnregisterHotKey(hwnd, id) ? TRUE : FALSE;
}

SHORT SimWindowSystem::GetAsyncKeyState(INT vk) {
    bool down = world_.KeyDown(static_cast<UINT>(vk));
    SHORT state = down ? static_cast<SHORT>(0x8000) : 0;
    Record("GetAsyncKeyState", [&] { return TraceHandle(vk) + (down ? " -> 0x8000" : " -> 0"); });
    return state;
}

HWND SimWindowSystem::CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                            IWindowHandler* handler) {
    Record("CreateDialogIndirectW", [&] {
        return TraceNum(tmpl.id) + " " + TraceString(tmpl.caption) + ", " + Window(parent);
    });
    return world_.CreateDialog(pid_, tmpl, parent, handler);
}

BOOL SimWindowSystem::IsDialogMessageW(HWND, MSG*) {
    return FALSE;
}

HWND SimWindowSystem::GetDlgItem(HWND dialog, INT id) {
    HWND item = world_.GetDlgItem(dialog, id);
    Record("GetDlgItem", [&] {
        return TraceHandle(dialog.value) + ", " + TraceNum(id) + " -> " + TraceHandle(item.value);
    });
    return item;
}

INT SimWindowSystem::GetDlgCtrlID(HWND hwnd) {
    const SimWindow* w = world_.Find(hwnd);
    INT id = w ? w->id : 0;
    Record("GetDlgCtrlID", [&] { return TraceHandle(hwnd.value) + " -> " + TraceNum(id); });
    return id;
}

BOOL SimWindowSystem::MapDialogRect(HWND dialog, RECT* rect) {
    Record("MapDialogRect",
           [&] { return TraceHandle(dialog.value) + (rect ? ", " + TraceRect(*rect) : ""); });
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
    Record("MessageBoxW", [&] {
        return Window(owner) + ", " + TraceString(text) + ", " + TraceString(caption) + ", " +
               TraceHandle(type);
    });
    return world_.MessageBox(pid_, owner, text, caption, type);
}

HMENU SimWindowSystem::LoadMenuW(WORD resourceId) {
    HMENU menu = world_.LoadMenu(resourceId);
    Record("LoadMenuW", [&] { return TraceNum(resourceId) + " -> " + TraceHandle(menu.value); });
    return menu;
}

HMENU SimWindowSystem::GetSubMenu(HMENU menu, INT pos) {
    HMENU sub = world_.GetSubMenu(menu, pos);
    Record("GetSubMenu", [&] {
        return TraceHandle(menu.value) + ", " + TraceNum(pos) + " -> " + TraceHandle(sub.value);
    });
    return sub;
}

BOOL SimWindowSystem::DestroyMenu(HMENU menu) {
    Record("DestroyMenu", [&] { return TraceHandle(menu.value); });
    return world_.DestroyMenu(menu) ? TRUE : FALSE;
}

BOOL SimWindowSystem::TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    Record("TrackPopupMenuEx", [&] {
        return TraceHandle(menu.value) + ", " + TraceHandle(flags) + ", " + TraceNum(x) + ", " +
               TraceNum(y) + ", " + Window(owner);
    });
    return world_.TrackPopupMenu(pid_, menu, flags, x, y, owner) ? TRUE : FALSE;
}

HICON SimWindowSystem::LoadIconW(WORD resourceId) {
    HICON icon = world_.LoadIcon(resourceId);
    Record("LoadIconW", [&] { return TraceNum(resourceId) + " -> " + TraceHandle(icon.value); });
    return icon;
}

}  // namespace velk::sim

#include "platform/win32/window_system.h"

#include <algorithm>

#include <commctrl.h>

#include "platform/win32/dialog_builder.h"

namespace velk::win32 {
namespace {

// The device marks system colour indexes in a brush value with this flag.
constexpr LPARAM kSysColorFlag = 0x40000000;

::HBRUSH Brush(LPARAM value) {
    if (value == 0)
        return nullptr;
    if (value & kSysColorFlag)
        return ::GetSysColorBrush(static_cast<int>((value & ~kSysColorFlag) - 1));
    return reinterpret_cast<::HBRUSH>(value);  // the desktop's own COLOR_xxx + 1
}

::RECT ToNative(const RECT& r) {
    return ::RECT{r.left, r.top, r.right, r.bottom};
}
RECT FromNative(const ::RECT& r) {
    return RECT{static_cast<LONG>(r.left), static_cast<LONG>(r.top), static_cast<LONG>(r.right),
                static_cast<LONG>(r.bottom)};
}

::MSG ToNative(const MSG& m) {
    ::MSG n{};
    n.hwnd = win32::ToNative(m.hwnd);
    n.message = m.message;
    n.wParam = m.wParam;
    n.lParam = m.lParam;
    n.time = m.time;
    const ::DWORD pos = ::GetMessagePos();
    n.pt = ::POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
    return n;
}

MSG FromNative(const ::MSG& n) {
    MSG m;
    m.hwnd = win32::FromNative(n.hwnd);
    m.message = n.message;
    m.wParam = n.wParam;
    m.lParam = n.lParam;
    m.time = n.time;
    return m;
}

BOOL CALLBACK EnumThunk(::HWND hwnd, ::LPARAM lParam) {
    const auto& callback = *reinterpret_cast<const WNDENUMPROC*>(lParam);
    return callback(win32::FromNative(hwnd));
}

}  // namespace

// --- routing --------------------------------------------------------------------------

Win32WindowSystem::Win32WindowSystem(MenuLookup menus, HINSTANCE instance)
    : instance_(instance), menus_(std::move(menus)) {
    // The standard controls are the common controls' under the manifest; registered
    // before the first dialog needs them.
    using InitFn = ::BOOL(WINAPI*)(const ::INITCOMMONCONTROLSEX*);
    if (const auto init = comctl32_.Find<InitFn>("InitCommonControlsEx")) {
        const ::INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES};
        init(&classes);
    }
    loadIconMetric_ = comctl32_.Find<LoadIconMetricFn>("LoadIconMetric");
}

Win32WindowSystem::~Win32WindowSystem() {
    // Windows that outlive the backend fall back to their own procedures.
    for (auto& [hwnd, link] : byWindow_) {
        if (!::IsWindow(hwnd))
            continue;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (link->original) {
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(link->original));
        }
    }
    for (::HMENU menu : openMenus_) {
        if (::IsMenu(menu))
            ::DestroyMenu(menu);
    }
    for (const std::wstring& name : classes_)
        ::UnregisterClassW(name.c_str(), instance_);
}

Win32WindowSystem::Link* Win32WindowSystem::NewLink(IWindowHandler* handler) {
    auto link = std::make_unique<Link>(Link{this, handler, nullptr, nullptr, nullptr});
    Link* raw = link.get();
    links_.emplace(raw, std::move(link));
    return raw;
}

void Win32WindowSystem::Attach(Link* link, ::HWND hwnd) {
    link->hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
    byWindow_[hwnd] = link;
}

void Win32WindowSystem::Subclass(Link* link, ::HWND hwnd) {
    Attach(link, hwnd);
    link->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
}

void Win32WindowSystem::Drop(Link* link) {
    auto it = byWindow_.find(link->hwnd);
    if (it != byWindow_.end() && it->second == link)
        byWindow_.erase(it);
    links_.erase(link);
}

LRESULT Win32WindowSystem::Route(Link* link, ::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                 ::LPARAM lParam) {
    // A dialog moved to a monitor of another scale is laid out again for it; the program
    // has no part in that.
    if (message == WM_DPICHANGED && link->layout) {
        link->layout->Apply(hwnd, HIWORD(wParam), reinterpret_cast<const ::RECT*>(lParam));
        return 0;
    }
    LRESULT result;
    if (link->handler) {
        result = link->handler->WindowProc(win32::FromNative(hwnd), message, wParam, lParam);
    } else {
        result = DefWindowProcW(win32::FromNative(hwnd), message, wParam, lParam);
    }
    // The handler may be gone by now; only the backend's own record is touched.
    if (message == WM_NCDESTROY)
        Drop(link);
    return result;
}

LRESULT CALLBACK Win32WindowSystem::ClassProc(::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                              ::LPARAM lParam) {
    Link* link = nullptr;
    if (message == WM_NCCREATE) {
        link = static_cast<Link*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (link)
            link->system->Attach(link, hwnd);
    } else {
        link = reinterpret_cast<Link*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!link)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return link->system->Route(link, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Win32WindowSystem::SubclassProc(::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                                 ::LPARAM lParam) {
    auto* link = reinterpret_cast<Link*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!link)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return link->system->Route(link, hwnd, message, wParam, lParam);
}

// The dialog manager's own procedure: the handler sees every message first through the
// subclass, so whatever reaches this point is left to the default dialog handling.
INT_PTR CALLBACK Win32WindowSystem::DialogProc(::HWND hwnd, ::UINT message, ::WPARAM wParam,
                                               ::LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    if (::GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0)
        return TRUE;
    auto* link = reinterpret_cast<Link*>(lParam);
    if (!link)
        return TRUE;
    link->system->Subclass(link, hwnd);
    if (link->layout)
        link->layout->Attach(hwnd);
    return link->system->Route(link, hwnd, WM_INITDIALOG, wParam, 0);
}

LRESULT Win32WindowSystem::DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ::HWND h = win32::ToNative(hwnd);
    auto it = byWindow_.find(h);
    if (it != byWindow_.end() && it->second->original) {
        return ::CallWindowProcW(it->second->original, h, message, wParam, lParam);
    }
    return ::DefWindowProcW(h, message, wParam, lParam);
}

bool Win32WindowSystem::IsOurClass(const wchar_t* className) const {
    if (!className || IS_INTRESOURCE(className))
        return false;
    return std::any_of(classes_.begin(), classes_.end(), [&](const std::wstring& name) {
        return ::lstrcmpiW(name.c_str(), className) == 0;
    });
}

// --- windows --------------------------------------------------------------------------

BOOL Win32WindowSystem::RegisterClassW(const WNDCLASSW& wc) {
    if (!wc.lpszClassName)
        return FALSE;
    if (IsOurClass(Wide(wc.lpszClassName)))
        return TRUE;
    ::WNDCLASSW native{};
    native.style = wc.style;
    native.lpfnWndProc = &ClassProc;
    native.hInstance = instance_;
    native.hbrBackground = Brush(wc.hbrBackground);
    native.lpszClassName = Wide(wc.lpszClassName);
    if (!::RegisterClassW(&native))
        return FALSE;
    classes_.emplace_back(Wide(wc.lpszClassName));
    return TRUE;
}

HWND Win32WindowSystem::CreateWindowExW(DWORD exStyle, const char16_t* className,
                                        const char16_t* windowName, DWORD style, INT x, INT y,
                                        INT width, INT height, HWND parent, UINT_PTR idOrMenu,
                                        IWindowHandler* handler) {
    const bool ours = IsOurClass(Wide(className));
    Link* link = handler ? NewLink(handler) : nullptr;
    ::HWND hwnd =
        ::CreateWindowExW(exStyle, Wide(className), Wide(windowName), style, x, y, width, height,
                          win32::ToNative(parent), reinterpret_cast<::HMENU>(idOrMenu), instance_,
                          ours ? link : nullptr);
    if (link) {
        if (!hwnd) {
            if (links_.count(link))
                Drop(link);
        } else if (!ours) {
            Subclass(link, hwnd);  // a class of the system's: its messages from now on
        }
    }
    return win32::FromNative(hwnd);
}

BOOL Win32WindowSystem::DestroyWindow(HWND hwnd) {
    return ::DestroyWindow(win32::ToNative(hwnd));
}
BOOL Win32WindowSystem::IsWindow(HWND hwnd) {
    return ::IsWindow(win32::ToNative(hwnd));
}

INT Win32WindowSystem::GetWindowTextLengthW(HWND hwnd) {
    return ::GetWindowTextLengthW(win32::ToNative(hwnd));
}

INT Win32WindowSystem::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    return ::GetWindowTextW(win32::ToNative(hwnd), Wide(buf), maxCount);
}

BOOL Win32WindowSystem::SetWindowTextW(HWND hwnd, const char16_t* text) {
    return ::SetWindowTextW(win32::ToNative(hwnd), Wide(text));
}

HWND Win32WindowSystem::FindWindowW(const char16_t* className, const char16_t* windowName) {
    return win32::FromNative(::FindWindowW(Wide(className), Wide(windowName)));
}

BOOL Win32WindowSystem::EnumWindows(const WNDENUMPROC& callback) {
    return ::EnumWindows(&EnumThunk, reinterpret_cast<::LPARAM>(&callback));
}

HWND Win32WindowSystem::GetForegroundWindow() {
    return win32::FromNative(::GetForegroundWindow());
}

BOOL Win32WindowSystem::SetForegroundWindow(HWND hwnd) {
    // The device reads the handle's lowest bit as "with its topmost owned pop-up"; the
    // desktop spells that GetLastActivePopup. The bit is never part of a real handle's
    // meaning here, so it is always taken off first.
    if (hwnd.value & 1) {
        ::HWND owner = win32::ToNative(velk::HWND{hwnd.value & ~std::uintptr_t{1}});
        return ::SetForegroundWindow(::IsWindow(owner) ? ::GetLastActivePopup(owner) : owner);
    }
    return ::SetForegroundWindow(win32::ToNative(hwnd));
}

BOOL Win32WindowSystem::ShowWindow(HWND hwnd, INT cmdShow) {
    return ::ShowWindow(win32::ToNative(hwnd), cmdShow);
}

BOOL Win32WindowSystem::IsWindowVisible(HWND hwnd) {
    return ::IsWindowVisible(win32::ToNative(hwnd));
}

BOOL Win32WindowSystem::UpdateWindow(HWND hwnd) {
    return ::UpdateWindow(win32::ToNative(hwnd));
}

BOOL Win32WindowSystem::GetWindowRect(HWND hwnd, RECT* rect) {
    ::RECT r{};
    const ::BOOL ok = ::GetWindowRect(win32::ToNative(hwnd), &r);
    if (ok && rect)
        *rect = FromNative(r);
    return ok;
}

BOOL Win32WindowSystem::SetWindowPos(HWND hwnd, HWND insertAfter, INT x, INT y, INT cx, INT cy,
                                     UINT flags) {
    return ::SetWindowPos(win32::ToNative(hwnd), win32::ToNative(insertAfter), x, y, cx, cy, flags);
}

LONG Win32WindowSystem::GetWindowLongW(HWND hwnd, INT index) {
    return ::GetWindowLongW(win32::ToNative(hwnd), index);
}

HWND Win32WindowSystem::GetParent(HWND hwnd) {
    return win32::FromNative(::GetParent(win32::ToNative(hwnd)));
}

HWND Win32WindowSystem::GetWindow(HWND hwnd, UINT cmd) {
    return win32::FromNative(::GetWindow(win32::ToNative(hwnd), cmd));
}

HWND Win32WindowSystem::SetFocus(HWND hwnd) {
    return win32::FromNative(::SetFocus(win32::ToNative(hwnd)));
}

DWORD Win32WindowSystem::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    ::DWORD pid = 0;
    const ::DWORD tid = ::GetWindowThreadProcessId(win32::ToNative(hwnd), &pid);
    if (processId)
        *processId = pid;
    return tid;
}

HDC Win32WindowSystem::BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    ::PAINTSTRUCT native{};
    ::HDC dc = ::BeginPaint(win32::ToNative(hwnd), &native);
    if (ps) {
        ps->hdc = win32::FromNative<HDC>(dc);
        ps->rcPaint = FromNative(native.rcPaint);
    }
    return win32::FromNative<HDC>(dc);
}

BOOL Win32WindowSystem::EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    ::PAINTSTRUCT native{};
    if (ps) {
        native.hdc = win32::ToNative<::HDC>(ps->hdc);
        native.rcPaint = ToNative(ps->rcPaint);
    }
    return ::EndPaint(win32::ToNative(hwnd), &native);
}

// --- messages -------------------------------------------------------------------------

BOOL Win32WindowSystem::GetMessageW(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    ::MSG native{};
    const ::BOOL rc = ::GetMessageW(&native, win32::ToNative(hwnd), filterMin, filterMax);
    if (rc != -1 && msg)
        *msg = FromNative(native);
    return rc;
}

BOOL Win32WindowSystem::TranslateMessage(const MSG* msg) {
    if (!msg)
        return FALSE;
    const ::MSG native = ToNative(*msg);
    return ::TranslateMessage(&native);
}

LRESULT Win32WindowSystem::DispatchMessageW(const MSG* msg) {
    if (!msg)
        return 0;
    const ::MSG native = ToNative(*msg);
    return ::DispatchMessageW(&native);
}

BOOL Win32WindowSystem::PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(win32::ToNative(hwnd), message, wParam, lParam);
}

LRESULT Win32WindowSystem::SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(win32::ToNative(hwnd), message, wParam, lParam);
}

void Win32WindowSystem::PostQuitMessage(INT exitCode) {
    ::PostQuitMessage(exitCode);
}

UINT Win32WindowSystem::RegisterWindowMessageW(const char16_t* name) {
    return ::RegisterWindowMessageW(Wide(name));
}

// --- timers and hot keys --------------------------------------------------------------

UINT_PTR Win32WindowSystem::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    return ::SetTimer(win32::ToNative(hwnd), id, elapse, nullptr);
}

BOOL Win32WindowSystem::KillTimer(HWND hwnd, UINT_PTR id) {
    return ::KillTimer(win32::ToNative(hwnd), id);
}

BOOL Win32WindowSystem::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    // The device's key-up modifier: the desktop has none, and refuses unknown bits.
    return ::RegisterHotKey(win32::ToNative(hwnd), id, modifiers & ~velk::MOD_KEYUP, vk);
}

BOOL Win32WindowSystem::UnregisterHotKey(HWND hwnd, INT id) {
    return ::UnregisterHotKey(win32::ToNative(hwnd), id);
}

SHORT Win32WindowSystem::GetAsyncKeyState(INT vk) {
    return ::GetAsyncKeyState(vk);
}

// --- dialogs --------------------------------------------------------------------------

HWND Win32WindowSystem::CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                                              IWindowHandler* handler) {
    const DialogTemplateBuffer buffer(tmpl);
    Link* link = NewLink(handler);
    link->layout = std::make_unique<DialogLayout>(tmpl, instance_);
    ::HWND hwnd = ::CreateDialogIndirectParamW(instance_, buffer.get(), win32::ToNative(parent),
                                               &DialogProc, reinterpret_cast<::LPARAM>(link));
    // A dialog that failed, or destroyed itself while it was being made, leaves no record.
    if (!hwnd && links_.count(link))
        Drop(link);
    return win32::FromNative(hwnd);
}

BOOL Win32WindowSystem::IsDialogMessageW(HWND dialog, MSG* msg) {
    if (!msg)
        return FALSE;
    ::MSG native = ToNative(*msg);
    return ::IsDialogMessageW(win32::ToNative(dialog), &native);
}

HWND Win32WindowSystem::GetDlgItem(HWND dialog, INT id) {
    return win32::FromNative(::GetDlgItem(win32::ToNative(dialog), id));
}

INT Win32WindowSystem::GetDlgCtrlID(HWND hwnd) {
    return ::GetDlgCtrlID(win32::ToNative(hwnd));
}

BOOL Win32WindowSystem::MapDialogRect(HWND dialog, RECT* rect) {
    if (!rect)
        return FALSE;
    ::RECT r = ToNative(*rect);
    const ::BOOL ok = ::MapDialogRect(win32::ToNative(dialog), &r);
    if (ok)
        *rect = FromNative(r);
    return ok;
}

INT Win32WindowSystem::MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption,
                                   UINT type) {
    return ::MessageBoxW(win32::ToNative(owner), Wide(text), Wide(caption), type);
}

// --- menus and icons ------------------------------------------------------------------

HMENU Win32WindowSystem::LoadMenuW(WORD resourceId) {
    const MenuTemplate* tmpl = menus_ ? menus_(resourceId) : nullptr;
    if (!tmpl)
        return {};
    ::HMENU menu = BuildMenu(*tmpl);
    if (menu)
        openMenus_.push_back(menu);
    return win32::FromNative<HMENU>(menu);
}

HMENU Win32WindowSystem::GetSubMenu(HMENU menu, INT pos) {
    return win32::FromNative<HMENU>(::GetSubMenu(win32::ToNative<::HMENU>(menu), pos));
}

BOOL Win32WindowSystem::DestroyMenu(HMENU menu) {
    ::HMENU native = win32::ToNative<::HMENU>(menu);
    openMenus_.erase(std::remove(openMenus_.begin(), openMenus_.end(), native), openMenus_.end());
    return ::DestroyMenu(native);
}

BOOL Win32WindowSystem::TrackPopupMenuEx(HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    ::HWND window = win32::ToNative(owner);
    // A desktop menu closes properly on a click elsewhere only when its owner is the
    // foreground window, and needs a message after it to settle.
    ::SetForegroundWindow(window);
    const ::BOOL rc =
        ::TrackPopupMenuEx(win32::ToNative<::HMENU>(menu), flags, x, y, window, nullptr);
    ::PostMessageW(window, WM_NULL, 0, 0);
    return rc;
}

HICON Win32WindowSystem::LoadIconW(WORD resourceId) {
    auto it = icons_.find(resourceId);
    if (it == icons_.end()) {
        // The program's icons go to the notification area: at the small size of the
        // system's scale, as the shell asks for it, each drawn at that size.
        ::HICON loaded = nullptr;
        if (!loadIconMetric_ || FAILED(loadIconMetric_(instance_, MAKEINTRESOURCEW(resourceId),
                                                       0 /* LIM_SMALL */, &loaded)))
            loaded = static_cast<::HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(resourceId),
                                                       IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                       ::GetSystemMetrics(SM_CYSMICON), 0));
        UniqueIcon icon(loaded);
        if (!icon)
            return {};
        it = icons_.emplace(resourceId, std::move(icon)).first;
    }
    return win32::FromNative<HICON>(it->second.get());
}

}  // namespace velk::win32

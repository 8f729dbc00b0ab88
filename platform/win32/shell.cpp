#include "platform/win32/shell.h"

#include <algorithm>
#include <iterator>

#include <shellapi.h>
// The seam's operation keeps the device's name; the desktop's is a macro.
#undef Shell_NotifyIcon

namespace velk::win32 {
namespace {

RECT FromNative(const ::RECT& r) {
    return RECT{static_cast<LONG>(r.left), static_cast<LONG>(r.top), static_cast<LONG>(r.right),
                static_cast<LONG>(r.bottom)};
}

}  // namespace

Win32Shell::Win32Shell()
    : aygshell_(L"aygshell.dll"),
      // The shell library exports this entry by ordinal 9.
      initExtraControls_(aygshell_.Find<InitExtraControlsFn>(MAKEINTRESOURCEA(9))),
      initDialog_(aygshell_.Find<InitDialogFn>("SHInitDialog")),
      handleActivate_(aygshell_.Find<HandleActivateFn>("SHHandleWMActivate")),
      handleSettingChange_(aygshell_.Find<HandleSettingChangeFn>("SHHandleWMSettingChange")),
      createMenuBar_(aygshell_.Find<CreateMenuBarFn>("SHCreateMenuBar")) {}

BOOL Win32Shell::Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    NOTIFYICONDATAW native{};
    native.cbSize = sizeof(native);
    native.hWnd = win32::ToNative(data.hWnd);
    native.uID = data.uID;
    native.uFlags = data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
    native.uCallbackMessage = data.uCallbackMessage;
    native.hIcon = win32::ToNative<::HICON>(data.hIcon);
    if (native.uFlags & NIF_TIP) {
        static_assert(sizeof(native.szTip) >= sizeof(data.szTip));
        std::copy(std::begin(data.szTip), std::end(data.szTip), native.szTip);
        native.szTip[std::size(data.szTip) - 1] = L'\0';
    }
    return ::Shell_NotifyIconW(message, &native);
}

BOOL Win32Shell::SHInitExtraControls() {
    return initExtraControls_ ? initExtraControls_() : FALSE;
}

BOOL Win32Shell::SHInitDialog(const SHINITDLGINFO& info) {
    if (!initDialog_)
        return FALSE;
    InitDialogInfo native{info.dwMask, win32::ToNative(info.hDlg), info.dwFlags};
    return initDialog_(&native);
}

Win32Shell::ActivateInfo& Win32Shell::ActivateInfoOf(HWND hwnd) {
    auto [it, added] = activateInfo_.try_emplace(hwnd.value);
    if (added)
        it->second = ActivateInfo{sizeof(ActivateInfo), nullptr, 0};
    return it->second;
}

BOOL Win32Shell::SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (!handleActivate_)
        return FALSE;
    return handleActivate_(win32::ToNative(hwnd), wParam, lParam, &ActivateInfoOf(hwnd), 0);
}

BOOL Win32Shell::SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    if (!handleSettingChange_)
        return FALSE;
    return handleSettingChange_(win32::ToNative(hwnd), wParam, lParam, &ActivateInfoOf(hwnd));
}

BOOL Win32Shell::SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!createMenuBar_ || !info)
        return FALSE;
    MenuBarInfo native{};
    native.cbSize = sizeof(native);
    native.hwndParent = win32::ToNative(info->hwndParent);
    native.dwFlags = info->dwFlags;
    native.nToolBarId = info->nToolBarId;
    native.hInstRes = ::GetModuleHandleW(nullptr);
    const ::BOOL ok = createMenuBar_(&native);
    if (ok)
        info->hwndMB = win32::FromNative(native.hwndMB);
    return ok;
}

RECT Win32Shell::GetWorkArea() {
    ::RECT r{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
        r = ::RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return FromNative(r);
}

}  // namespace velk::win32

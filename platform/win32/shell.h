// The shell of the seam: the desktop's notification area, and the Pocket PC shell
// library ("aygshell.dll"), looked up at run time; where a desktop lacks it, its
// functions answer as failed calls do.
#pragma once

#include <cstdint>
#include <map>

#include "platform/window_system.h"

#include "platform/win32/library.h"

namespace velk::win32 {

class Win32Shell : public IShell {
  public:
    Win32Shell();

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override;
    BOOL SHInitExtraControls() override;
    BOOL SHInitDialog(const SHINITDLGINFO& info) override;
    BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHCreateMenuBar(SHMENUBARINFO* info) override;
    RECT GetWorkArea() override;

  private:
    // The Pocket PC shell library's records, in its layout.
    struct ActivateInfo {
        ::DWORD cbSize;
        ::HWND hwndLastFocus;
        ::UINT flags;
    };
    struct InitDialogInfo {
        ::DWORD dwMask;
        ::HWND hDlg;
        ::DWORD dwFlags;
    };
    struct MenuBarInfo {
        ::DWORD cbSize;
        ::HWND hwndParent;
        ::DWORD dwFlags;
        ::UINT nToolBarId;
        ::HINSTANCE hInstRes;
        int nBmpId;
        int cBmpImages;
        ::HWND hwndMB;
        ::COLORREF clrBk;
    };
    using InitExtraControlsFn = ::BOOL(WINAPI*)();
    using InitDialogFn = ::BOOL(WINAPI*)(InitDialogInfo*);
    using HandleActivateFn = ::BOOL(WINAPI*)(::HWND, ::WPARAM, ::LPARAM, ActivateInfo*, ::DWORD);
    using HandleSettingChangeFn = ::BOOL(WINAPI*)(::HWND, ::WPARAM, ::LPARAM, ActivateInfo*);
    using CreateMenuBarFn = ::BOOL(WINAPI*)(MenuBarInfo*);

    ActivateInfo& ActivateInfoOf(HWND hwnd);

    OptionalLibrary aygshell_;
    InitExtraControlsFn initExtraControls_;
    InitDialogFn initDialog_;
    HandleActivateFn handleActivate_;
    HandleSettingChangeFn handleSettingChange_;
    CreateMenuBarFn createMenuBar_;
    std::map<std::uintptr_t, ActivateInfo> activateInfo_;
};

}  // namespace velk::win32

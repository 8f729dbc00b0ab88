#include "platform/sim/shell.h"

#include "platform/sim/trace.h"
#include "platform/strings.h"

namespace velk::sim {

BOOL SimShell::Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    const char* what = message == NIM_ADD      ? "NIM_ADD"
                       : message == NIM_MODIFY ? "NIM_MODIFY"
                       : message == NIM_DELETE ? "NIM_DELETE"
                                               : "?";
    bool ok = world_.NotifyIcon(pid_, message, data);
    Record("Shell_NotifyIcon", [&] {
        return std::string(what) + ", {cbSize " + TraceNum(data.cbSize) + ", hWnd " +
               TraceHandle(data.hWnd.value) + ", uID " + TraceNum(data.uID) + ", uFlags " +
               TraceNum(data.uFlags) + ", uCallbackMessage " + TraceNum(data.uCallbackMessage) +
               ", icon " + TraceNum(world_.IconResource(data.hIcon)) + "}" +
               (ok ? " -> TRUE" : " -> FALSE");
    });
    return ok ? TRUE : FALSE;
}

BOOL SimShell::SHInitExtraControls() {
    Record("SHInitExtraControls", [&] { return ""; });
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHInitDialog(const SHINITDLGINFO& info) {
    Record("SHInitDialog", [&] {
        return "{dwMask " + TraceNum(info.dwMask) + ", hDlg " + TraceHandle(info.hDlg.value) +
               ", dwFlags " + TraceHandle(info.dwFlags) + "}";
    });
    if (!world_.Options().shellLibraryPresent)
        return FALSE;
    SimWindow* dialog = world_.Find(info.hDlg);
    if (!dialog)
        return FALSE;
    if (info.dwMask & SHIDIM_FLAGS) {
        if (info.dwFlags & SHIDIF_DONEBUTTON)
            dialog->doneButton = true;
        if (info.dwFlags & SHIDIF_SIZEDLGFULLSCREEN)
            world_.SetRect(info.hDlg, world_.WorkArea());
    }
    return TRUE;
}

BOOL SimShell::SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    Record("SHHandleWMActivate", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(wParam) + ", " + TraceHandle(lParam);
    });
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    Record("SHHandleWMSettingChange", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(wParam) + ", " + TraceHandle(lParam);
    });
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info) {
        Record("SHCreateMenuBar", [&] { return "null"; });
        return FALSE;
    }
    HWND bar = world_.CreateMenuBar(pid_, info->hwndParent);
    info->hwndMB = bar;
    Record("SHCreateMenuBar", [&] {
        return "{hwndParent " + TraceHandle(info->hwndParent.value) + ", dwFlags " +
               TraceNum(info->dwFlags) + ", nToolBarId " + TraceNum(info->nToolBarId) + "} -> " +
               TraceHandle(bar.value);
    });
    return bar ? TRUE : FALSE;
}

RECT SimShell::GetWorkArea() {
    RECT r = world_.WorkArea();
    Record("GetWorkArea", [&] { return "-> " + TraceRect(r); });
    return r;
}

}  // namespace velk::sim

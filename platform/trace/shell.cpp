#include "platform/trace/shell.h"

#include <string>

#include "platform/trace/format.h"

namespace velk::trace {

BOOL TracedShell::Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    const char* what = message == NIM_ADD      ? "NIM_ADD"
                       : message == NIM_MODIFY ? "NIM_MODIFY"
                       : message == NIM_DELETE ? "NIM_DELETE"
                                               : "?";
    const BOOL ok = inner_.Shell_NotifyIcon(message, data);
    recorder_.Record("Shell_NotifyIcon", [&] {
        return std::string(what) + ", {cbSize " + TraceNum(data.cbSize) + ", hWnd " +
               TraceHandle(data.hWnd.value) + ", uID " + TraceNum(data.uID) + ", uFlags " +
               TraceNum(data.uFlags) + ", uCallbackMessage " + TraceNum(data.uCallbackMessage) +
               ", icon " + TraceNum(recorder_.IconResource(data.hIcon.value)) + "}" +
               TraceResult(ok != 0);
    });
    return ok;
}

BOOL TracedShell::SHInitExtraControls() {
    recorder_.Record("SHInitExtraControls", [&] { return ""; });
    return inner_.SHInitExtraControls();
}

BOOL TracedShell::SHInitDialog(const SHINITDLGINFO& info) {
    recorder_.Record("SHInitDialog", [&] {
        return "{dwMask " + TraceNum(info.dwMask) + ", hDlg " + TraceHandle(info.hDlg.value) +
               ", dwFlags " + TraceHandle(info.dwFlags) + "}";
    });
    return inner_.SHInitDialog(info);
}

BOOL TracedShell::SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    recorder_.Record("SHHandleWMActivate", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(wParam) + ", " + TraceHandle(lParam);
    });
    return inner_.SHHandleWMActivate(hwnd, wParam, lParam);
}

BOOL TracedShell::SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    recorder_.Record("SHHandleWMSettingChange", [&] {
        return TraceHandle(hwnd.value) + ", " + TraceNum(wParam) + ", " + TraceHandle(lParam);
    });
    return inner_.SHHandleWMSettingChange(hwnd, wParam, lParam);
}

BOOL TracedShell::SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info) {
        recorder_.Record("SHCreateMenuBar", [&] { return "null"; });
        return inner_.SHCreateMenuBar(info);
    }
    const BOOL ok = inner_.SHCreateMenuBar(info);
    recorder_.Record("SHCreateMenuBar", [&] {
        return "{hwndParent " + TraceHandle(info->hwndParent.value) + ", dwFlags " +
               TraceNum(info->dwFlags) + ", nToolBarId " + TraceNum(info->nToolBarId) + "} -> " +
               TraceHandle(info->hwndMB.value);
    });
    return ok;
}

RECT TracedShell::GetWorkArea() {
    const RECT r = inner_.GetWorkArea();
    recorder_.Record("GetWorkArea", [&] { return "-> " + TraceRect(r); });
    return r;
}

}  // namespace velk::trace

#include "platform/sim/shell.h"

#include "platform/strings.h"

namespace velk::sim {

namespace {

std::string Num(long long v) {
    return std::to_string(v);
}

}  // namespace

void SimShell::Record(const char* name, const std::string& args) {
    if (world_.Traced(pid_))
        world_.GetTrace().Record(world_.GetClock().Now(), name, args);
}

BOOL SimShell::Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    const char* what = message == NIM_ADD      ? "NIM_ADD"
                       : message == NIM_MODIFY ? "NIM_MODIFY"
                       : message == NIM_DELETE ? "NIM_DELETE"
                                               : "?";
    bool ok = world_.NotifyIcon(pid_, message, data);
    Record("Shell_NotifyIcon",
           std::string(what) + ", {cbSize " + Num(data.cbSize) + ", hWnd " +
               TraceHandle(data.hWnd.value) + ", uID " + Num(data.uID) + ", uFlags " +
               Num(data.uFlags) + ", uCallbackMessage " + Num(data.uCallbackMessage) + ", icon " +
               Num(world_.IconResource(data.hIcon)) + "}" + (ok ? " -> TRUE" : " -> FALSE"));
    return ok ? TRUE : FALSE;
}

BOOL SimShell::SHInitExtraControls() {
    Record("SHInitExtraControls", "");
    return world_.shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHInitDialog(const SHINITDLGINFO& info) {
    Record("SHInitDialog", "{dwMask " + Num(info.dwMask) + ", hDlg " +
                               TraceHandle(info.hDlg.value) + ", dwFlags " +
                               TraceHandle(info.dwFlags) + "}");
    if (!world_.shellLibraryPresent)
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
    Record("SHHandleWMActivate",
           TraceHandle(hwnd.value) + ", " + Num(wParam) + ", " + TraceHandle(lParam));
    return world_.shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    Record("SHHandleWMSettingChange",
           TraceHandle(hwnd.value) + ", " + Num(wParam) + ", " + TraceHandle(lParam));
    return world_.shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info) {
        Record("SHCreateMenuBar", "null");
        return FALSE;
    }
    HWND bar = world_.CreateMenuBar(pid_, info->hwndParent);
    info->hwndMB = bar;
    Record("SHCreateMenuBar", "{hwndParent " + TraceHandle(info->hwndParent.value) + ", dwFlags " +
                                  Num(info->dwFlags) + ", nToolBarId " + Num(info->nToolBarId) +
                                  "} -> " + TraceHandle(bar.value));
    return bar ? TRUE : FALSE;
}

RECT SimShell::GetWorkArea() {
    RECT r = world_.WorkArea();
    Record("GetWorkArea", "-> {" + Num(r.left) + ", " + Num(r.top) + ", " + Num(r.right) + ", " +
                              Num(r.bottom) + "}");
    return r;
}

}  // namespace velk::sim

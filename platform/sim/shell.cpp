#include "platform/sim/shell.h"

#include "platform/strings.h"

namespace velk::sim {

BOOL SimShell::Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) {
    return world_.NotifyIcon(pid_, message, data) ? TRUE : FALSE;
}

BOOL SimShell::SHInitExtraControls() {
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHInitDialog(const SHINITDLGINFO& info) {
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

BOOL SimShell::SHHandleWMActivate(HWND, WPARAM, LPARAM) {
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHHandleWMSettingChange(HWND, WPARAM, LPARAM) {
    return world_.Options().shellLibraryPresent ? TRUE : FALSE;
}

BOOL SimShell::SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info) {
        return FALSE;
    }
    HWND bar = world_.CreateMenuBar(pid_, info->hwndParent);
    info->hwndMB = bar;
    return bar ? TRUE : FALSE;
}

RECT SimShell::GetWorkArea() {
    return world_.WorkArea();
}

}  // namespace velk::sim

#include "platform/framework/single_instance.h"

#include "platform/strings.h"

namespace velk {

namespace {

// A window of a running copy of the program at path, or none.
HWND FindRunningCopy(IDesktopWindows& desktop, IProcess& process, const CString& path) {
    const CString wanted = Folded(path);
    HWND found;
    desktop.EnumWindows([&](HWND hwnd) -> BOOL {
        DWORD pid = 0;
        desktop.GetWindowThreadProcessId(hwnd, &pid);
        // Paths on these systems do not distinguish letter case.
        if (Folded(process.GetProcessFileName(pid, kMaxPath)) == wanted) {
            found = hwnd;
            return 0;
        }
        return 1;
    });
    return found;
}

}  // namespace

bool AnotherCopyRan(IDesktopWindows& desktop, IProcess& process) {
    // The mutex is named by the program's path and stays open for the life of the
    // process.
    const CString path = GetModulePath(process, kMaxPath);
    CString mutexName = path;
    for (char16_t& c : mutexName)
        if (c == u'\\')
            c = u'/';
    const HANDLE mutex = process.CreateMutexW(0, mutexName.c_str());
    if (!mutex || process.GetLastError() != static_cast<DWORD>(ERROR_ALREADY_EXISTS))
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (const HWND running = FindRunningCopy(desktop, process, path)) {
            // The low bit brings the window's topmost owned pop-up forward with it.
            desktop.SetForegroundWindow(HWND{running.value | 1});
            return true;
        }
        // Its window may not exist yet: wait at idle priority and look again.
        const INT priority = process.GetThreadPriority();
        process.SetThreadPriority(THREAD_PRIORITY_IDLE_CE);
        process.Sleep(1000);
        process.SetThreadPriority(priority);
    }
    return false;
}

}  // namespace velk

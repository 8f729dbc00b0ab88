#include "platform/sim/process.h"

#include <algorithm>

#include "platform/sim/trace.h"
#include "platform/strings.h"

namespace velk::sim {

namespace {

// The library's file name, without directory; "coredll" and "coredll.dll" both name it.
bool NamesCoredll(const char16_t* name) {
    std::u16string s = Folded(name);
    auto slash = s.find_last_of(u"\\/");
    if (slash != std::u16string::npos)
        s = s.substr(slash + 1);
    return s == u"coredll.dll" || s == u"coredll";
}

}  // namespace

DWORD SimProcess::GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) {
    std::u16string path;
    if (!module)
        path = world_.Process(pid_).modulePath;
    else if (module.value == kCoredll)
        path = u"\\Windows\\coredll.dll";
    return static_cast<DWORD>(CopyTruncated(path, buf, size));
}

CString SimProcess::GetProcessFileName(DWORD pid, DWORD maxChars) {
    const SimProcessInfo* p = world_.FindProcess(pid);
    CString path = (p && p->running) ? p->modulePath : CString();
    if (path.size() > maxChars)
        path.resize(maxChars);
    return path;
}

// The owner flag does not matter: nothing waits on a mutex in the simulation.
HANDLE SimProcess::CreateMutexW(BOOL /*initialOwner*/, const char16_t* name) {
    bool existed = false;
    HANDLE h = world_.CreateMutex(pid_, name, &existed);
    world_.ClientOf(pid_).lastError = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return h;
}

DWORD SimProcess::GetLastError() {
    return world_.ClientOf(pid_).lastError;
}

INT SimProcess::GetThreadPriority() {
    return world_.Process(pid_).threadPriority;
}

BOOL SimProcess::SetThreadPriority(INT priority) {
    if (priority < 0 || priority > 7)
        return FALSE;
    world_.Process(pid_).threadPriority = priority;
    return TRUE;
}

void SimProcess::Sleep(DWORD milliseconds) {
    world_.GetClock().Advance(milliseconds);
}

HMODULE SimProcess::LoadLibraryW(const char16_t* name) {
    bool found = name && NamesCoredll(name) && world_.Options().coredllPresent;
    HMODULE module = found ? HMODULE{kCoredll} : HMODULE{};
    if (found)
        ++loadedLibraries_;
    else
        world_.ClientOf(pid_).lastError = ERROR_MOD_NOT_FOUND;
    return module;
}

FARPROC SimProcess::GetProcAddressW(HMODULE module, const char16_t* name) {
    // Export names compare exactly, as the loader does.
    bool found = module.value == kCoredll && world_.Options().coredllPresent && name &&
                 std::u16string(name) == u"UnregisterFunc1" &&
                 world_.Options().unregisterFunc1Present;
    FARPROC proc = found ? FARPROC{kUnregisterFunc1} : FARPROC{};
    if (!found)
        world_.ClientOf(pid_).lastError = ERROR_PROC_NOT_FOUND;
    return proc;
}

BOOL SimProcess::FreeLibrary(HMODULE module) {
    if (module.value != kCoredll)
        return FALSE;
    if (loadedLibraries_ > 0)
        --loadedLibraries_;
    return TRUE;
}

BOOL SimProcess::CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) {
    if (proc.value != kUnregisterFunc1)
        throw SimError("CallUnregisterFunc1 through " + TraceHandle(proc.value) +
                       ", which GetProcAddressW did not return: the device would crash");
    world_.UnregisterFunc1(modifiers, vk);
    return TRUE;
}

}  // namespace velk::sim

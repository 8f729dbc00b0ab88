// Process services of the seam: module names, the single-instance mutex, thread
// priority and run-time library lookup.
#pragma once

#include "platform/types.h"

namespace velk {

constexpr INT THREAD_PRIORITY_IDLE_CE = 7;  // the device's idle priority level

class IProcess {
  public:
    virtual ~IProcess() = default;

    // Full path of this program (module null) into buf of size characters; returns the
    // number of characters copied, without the terminator.
    virtual DWORD GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) = 0;
    // Full path of the program that runs the process pid; empty when it cannot be had.
    virtual CString GetProcessFileName(DWORD pid, DWORD maxChars) = 0;
    virtual HANDLE CreateMutexW(BOOL initialOwner, const char16_t* name) = 0;
    virtual DWORD GetLastError() = 0;
    virtual INT GetThreadPriority() = 0;
    virtual BOOL SetThreadPriority(INT priority) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual HMODULE LoadLibraryW(const char16_t* name) = 0;
    virtual FARPROC GetProcAddressW(HMODULE module, const char16_t* name) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
    // Calls a function found by GetProcAddressW as UnregisterFunc1(modifiers, vk).
    virtual BOOL CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) = 0;
};

// The program's own path as GetModuleFileNameW gives it into a buffer of maxChars
// characters (a longer path is cut).
CString GetModulePath(IProcess& process, DWORD maxChars);
// The program's whole path, however long: the buffer grows until the path fits.
CString GetFullModulePath(IProcess& process);

}  // namespace velk

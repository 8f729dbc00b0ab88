// Process services of the seam on a Linux desktop. The single-instance mutex is a lock
// of one user on one display (an flock on a file of the session, held while the process
// lives); the path of a process is its /proc/<pid>/exe; there are no device libraries.
#pragma once

#include <map>
#include <string>

#include "platform/process.h"

namespace velk::linux {

class LinuxProcess final : public IProcess {
  public:
    // lockFile: the file whose lock stands for every named mutex of the program (one copy
    // per user and display, whatever name the program gives it).
    explicit LinuxProcess(std::string lockFile);
    ~LinuxProcess() override;
    LinuxProcess(const LinuxProcess&) = delete;
    LinuxProcess& operator=(const LinuxProcess&) = delete;

    DWORD GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) override;
    CString GetProcessFileName(DWORD pid, DWORD maxChars) override;
    // A handle while the lock file can be opened; ERROR_ALREADY_EXISTS as last error when
    // another process holds its lock (this one then holds nothing).
    HANDLE CreateMutexW(BOOL initialOwner, const char16_t* name) override;
    DWORD GetLastError() override { return lastError_; }
    // The device's levels (0 highest .. 7 idle) over the thread's nice value: 7 is the
    // lowest nice value there is, the others the one the thread started with. A level
    // that an unprivileged thread may not take back is refused (FALSE), so a wait at
    // idle priority never leaves the program slowed for good.
    INT GetThreadPriority() override { return level_; }
    BOOL SetThreadPriority(INT priority) override;
    void Sleep(DWORD milliseconds) override;
    // No device libraries on a desktop.
    HMODULE LoadLibraryW(const char16_t* name) override;
    FARPROC GetProcAddressW(HMODULE module, const char16_t* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    BOOL CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) override;

    // Whether another process held the lock when this one last asked for it.
    bool HeldElsewhere() const { return heldElsewhere_; }
    // Whether this process holds the lock.
    bool HoldsLock() const { return lockFd_ >= 0; }

  private:
    std::string lockFile_;
    int lockFd_ = -1;
    bool heldElsewhere_ = false;
    DWORD lastError_ = 0;
    INT level_ = 3;  // THREAD_PRIORITY_NORMAL
    int startNice_ = 0;
};

// The program file of a process, read from /proc; empty when it cannot be had.
std::string ProcessExecutable(long pid);

}  // namespace velk::linux

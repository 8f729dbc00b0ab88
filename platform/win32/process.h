// Process services of the seam over the desktop's.
#pragma once

#include <vector>

#include "platform/process.h"

#include "platform/win32/util.h"

namespace velk::win32 {

class Win32Process : public IProcess {
  public:
    DWORD GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) override;
    CString GetProcessFileName(DWORD pid, DWORD maxChars) override;
    // The mutexes created here stay open as long as this object lives.
    HANDLE CreateMutexW(BOOL initialOwner, const char16_t* name) override;
    DWORD GetLastError() override;
    INT GetThreadPriority() override;
    BOOL SetThreadPriority(INT priority) override;
    void Sleep(DWORD milliseconds) override;
    HMODULE LoadLibraryW(const char16_t* name) override;
    FARPROC GetProcAddressW(HMODULE module, const char16_t* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    BOOL CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) override;

  private:
    std::vector<UniqueHandle> mutexes_;
    // One entry per load the caller has not freed yet; freed with this object.
    std::vector<UniqueLibrary> libraries_;
};

}  // namespace velk::win32

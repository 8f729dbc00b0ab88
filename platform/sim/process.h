// One process's view of the simulated handheld's process services: its module name, the
// process table, named mutexes and last error, thread priority, Sleep on the virtual
// clock, and the run-time library lookup of "coredll.dll" / "UnregisterFunc1". The
// handheld traces the program's calls by wrapping it (trace::TracedProcess).
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform/process.h"
#include "platform/sim/process_view.h"
#include "platform/sim/world.h"

namespace velk::sim {

class SimProcess : public IProcess, private ProcessView {
  public:
    SimProcess(World& world, DWORD pid) : ProcessView(world, pid) {}

    DWORD GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) override;
    CString GetProcessFileName(DWORD pid, DWORD maxChars) override;
    HANDLE CreateMutexW(BOOL initialOwner, const char16_t* name) override;
    DWORD GetLastError() override;
    INT GetThreadPriority() override;
    BOOL SetThreadPriority(INT priority) override;
    // Moves the virtual clock on; timers that fall due meanwhile fire after it returns,
    // when the thread is back in its message loop.
    void Sleep(DWORD milliseconds) override;
    HMODULE LoadLibraryW(const char16_t* name) override;
    FARPROC GetProcAddressW(HMODULE module, const char16_t* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    BOOL CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) override;

    // Libraries loaded and not yet freed.
    std::size_t LoadedLibraryCount() const { return loadedLibraries_; }

    static constexpr std::uintptr_t kCoredll = 0x7C000000;
    static constexpr std::uintptr_t kUnregisterFunc1 = 0x7C001234;

  private:
    std::size_t loadedLibraries_ = 0;
};

}  // namespace velk::sim

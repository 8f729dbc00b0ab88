// One process's view of the simulated handheld's shell: the notification area and the
// Pocket PC shell library (extra controls, full-screen dialogs, the menu bar along the
// bottom of the screen). Calls of a traced process are recorded in the trace.
#pragma once

#include <string>
#include <utility>

#include "platform/sim/world.h"
#include "platform/window_system.h"

namespace velk::sim {

class SimShell : public IShell {
  public:
    SimShell(World& world, DWORD pid) : world_(world), pid_(pid) {}

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override;
    BOOL SHInitExtraControls() override;
    BOOL SHInitDialog(const SHINITDLGINFO& info) override;
    BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHCreateMenuBar(SHMENUBARINFO* info) override;
    RECT GetWorkArea() override;

  private:
    template <typename Args>
    void Record(const char* name, Args&& args) {
        world_.TraceCall(pid_, name, std::forward<Args>(args));
    }

    World& world_;
    DWORD pid_;
};

}  // namespace velk::sim

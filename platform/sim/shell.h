// One process's view of the simulated handheld's shell: the notification area and the
// Pocket PC shell library (extra controls, full-screen dialogs, the menu bar along the
// bottom of the screen). The handheld traces it with trace::TracedShell.
#pragma once

#include <string>
#include <utility>

#include "platform/sim/process_view.h"
#include "platform/sim/world.h"
#include "platform/window_system.h"

namespace velk::sim {

class SimShell : public IShell, private ProcessView {
  public:
    SimShell(World& world, DWORD pid) : ProcessView(world, pid) {}

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override;
    BOOL SHInitExtraControls() override;
    BOOL SHInitDialog(const SHINITDLGINFO& info) override;
    BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHCreateMenuBar(SHMENUBARINFO* info) override;
    RECT GetWorkArea() override;
};

}  // namespace velk::sim

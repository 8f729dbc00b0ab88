// The shell of the seam on a Linux desktop: the notification icon is the window model's
// (its view shows it in the desktop's tray); there is no Pocket PC shell, so its calls
// answer FALSE; the work area is the screen's available part, as the view reports it.
#pragma once

#include <functional>

#include "platform/model/window_model.h"
#include "platform/window_system.h"

namespace velk::linux {

class LinuxShell final : public IShell {
  public:
    LinuxShell(model::WindowModel& model, DWORD pid, std::function<RECT()> workArea)
        : model_(model), pid_(pid), workArea_(std::move(workArea)) {}

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override {
        return model_.NotifyIcon(pid_, message, data) ? 1 : 0;
    }
    BOOL SHInitExtraControls() override { return 0; }
    BOOL SHInitDialog(const SHINITDLGINFO&) override { return 0; }
    BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM) override { return 0; }
    BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM) override { return 0; }
    BOOL SHCreateMenuBar(SHMENUBARINFO*) override { return 0; }
    RECT GetWorkArea() override { return workArea_ ? workArea_() : model_.WorkArea(); }

  private:
    model::WindowModel& model_;
    DWORD pid_;
    std::function<RECT()> workArea_;
};

}  // namespace velk::linux

// Any shell, traced: each call goes to the inner shell and is recorded with its
// arguments; a notification icon is named by the resource it was loaded from, as the
// traced window system's LoadIconW told the recorder.
#pragma once

#include "platform/trace/trace.h"
#include "platform/window_system.h"

namespace velk::trace {

class TracedShell : public IShell {
  public:
    TracedShell(IShell& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

    BOOL Shell_NotifyIcon(DWORD message, const NOTIFYICONDATA& data) override;
    BOOL SHInitExtraControls() override;
    BOOL SHInitDialog(const SHINITDLGINFO& info) override;
    BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) override;
    BOOL SHCreateMenuBar(SHMENUBARINFO* info) override;
    RECT GetWorkArea() override;

  private:
    IShell& inner_;
    Recorder& recorder_;
};

}  // namespace velk::trace

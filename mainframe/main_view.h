// The plain child window in the frame's client area. It draws nothing.
#pragma once

#include "platform/framework/wnd.h"

namespace velk {

class CMainView : public CWnd {
  public:
    explicit CMainView(const Platform& platform) : CWnd(platform) {}

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    DECLARE_MESSAGE_MAP()

  protected:
    void OnPaint();
};

}  // namespace velk

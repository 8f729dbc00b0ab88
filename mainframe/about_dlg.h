// The About box (template 100).
#pragma once

#include "platform/framework/dialog.h"

namespace velk {

class CAboutDlg : public CDialog {
  public:
    explicit CAboutDlg(const Platform& platform);

  protected:
    BOOL OnInitDialog() override;
};

}  // namespace velk

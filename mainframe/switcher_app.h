// The application object: start-up (the Up-key escape, the registry key word, the main
// frame with its check interval) and the About command.
#pragma once

#include "mainframe/main_frame.h"
#include "platform/framework/win_app.h"

namespace velk {

// The polling interval a command line asks for: 1500 when it is empty or blank, else
// the number it begins with (optional sign, decimal digits, the rest ignored; 0 when it
// does not begin with one; beyond the 32-bit range, the nearest end of that range).
INT CheckIntervalFromCommandLine(const CString& commandLine);

class CSwitcherApp : public CWinApp {
  public:
    // explain, when given, is told why the main frame's engine took each decision.
    explicit CSwitcherApp(const Platform& platform, IExplanationSink* explain = nullptr)
        : CWinApp(platform), explain_(explain) {}

    BOOL InitInstance() override;

    // The main frame while it exists, else null.
    CMainFrame* MainFrame() const { return static_cast<CMainFrame*>(m_pMainWnd); }

    DECLARE_MESSAGE_MAP()

  protected:
    void ShowAboutBox();

  private:
    IExplanationSink* explain_;
};

}  // namespace velk

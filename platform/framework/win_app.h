// The application object and the program's entry point: single-instance check,
// initialisation, the message loop and the exit step.
#pragma once

#include <memory>

#include "platform/framework/frame_wnd.h"
#include "platform/framework/profile.h"

namespace velk {

// The framework's message box: OK button, exclamation icon, brought to the foreground,
// captioned with the application name.
INT AfxMessageBox(IMenus& windows, const CString& appName, const CString& text, HWND owner = HWND{},
                  UINT type = MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);

class CWinApp : public CCmdTarget {
  public:
    explicit CWinApp(const Platform& platform);
    ~CWinApp() override;

    // Once, after the single-instance check; FALSE ends the program.
    virtual BOOL InitInstance() { return 1; }
    // The message loop; returns ExitInstance's result once WM_QUIT arrives.
    virtual INT Run();
    // The exit code: the WM_QUIT code when the loop ended on one, else 0.
    virtual INT ExitInstance();

    // The registry-backed profile of the application.
    void SetRegistryKey(const CString& keyWord) { m_profile.SetRegistryKey(keyWord); }
    RegistryProfile& Profile() { return m_profile; }

    // The application's message box (see AfxMessageBox).
    INT DoMessageBox(const CString& text, HWND owner = HWND{});

    // Makes frame the main window; the application owns it from now on and lets it go
    // when its window is destroyed.
    void SetMainFrame(std::unique_ptr<CFrameWnd> frame);
    // Called by a frame whose window is gone: no main window any more, and the loop ends.
    void OnFrameWindowGone(CFrameWnd* frame);
    // Called by a frame when nothing of it runs any more: destroys the object if owned.
    void ReleaseFrame(CFrameWnd* frame);

    const Platform& GetPlatform() const { return m_platform; }

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;  // the program's file name without directory and extension
    CString m_lpCmdLine;   // the arguments, without the program's own name

    DECLARE_MESSAGE_MAP()

  protected:
    // Exit (57665): close the main window, whose destruction ends the loop.
    void OnAppExit();

    Platform m_platform;
    RegistryProfile m_profile;

  private:
    std::unique_ptr<CFrameWnd> m_ownedFrame;
    MSG m_msgCur;
};

// The program's start: lets only one copy run, then InitInstance and Run (or
// ExitInstance when the initialisation failed). Returns the exit code.
int AfxWinMain(CWinApp& app, const CString& commandLine);

}  // namespace velk

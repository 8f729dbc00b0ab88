#include "platform/framework/win_app.h"

#include <string>

#include "platform/framework/single_instance.h"
#include "platform/strings.h"

namespace velk {

INT AfxMessageBox(IMenus& windows, const CString& appName, const CString& text, HWND owner,
                  UINT type) {
    return windows.MessageBoxW(owner, text.c_str(), appName.c_str(), type);
}

// --- CWinApp ----------------------------------------------------------------------------

CWinApp::CWinApp(const Platform& platform)
    : m_platform(platform), m_profile(platform.registry, platform.process) {
    m_pszAppName = ApplicationNameFromPath(GetFullModulePath(platform.process));
}

CWinApp::~CWinApp() {
    // A frame still alive at the end goes first, while the platform is still there.
    m_pMainWnd = nullptr;
    m_ownedFrame.reset();
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

INT CWinApp::Run() {
    IWindows& windows = m_platform.windows;
    MSG msg;
    for (;;) {
        const BOOL got = windows.GetMessageW(&msg, HWND{}, 0, 0);
        if (got <= 0)
            break;
        windows.TranslateMessage(&msg);
        windows.DispatchMessageW(&msg);
    }
    m_msgCur = msg;
    return ExitInstance();
}

INT CWinApp::ExitInstance() {
    return m_msgCur.message == WM_QUIT ? static_cast<INT>(m_msgCur.wParam) : 0;
}

INT CWinApp::DoMessageBox(const CString& text, HWND owner) {
    return AfxMessageBox(m_platform.windows, m_pszAppName, text, owner);
}

void CWinApp::SetMainFrame(std::unique_ptr<CFrameWnd> frame) {
    m_pMainWnd = frame.get();
    m_ownedFrame = std::move(frame);
}

void CWinApp::OnFrameWindowGone(CFrameWnd* frame) {
    if (m_pMainWnd == frame) {
        m_pMainWnd = nullptr;
        m_platform.windows.PostQuitMessage(0);
    }
}

void CWinApp::ReleaseFrame(CFrameWnd* frame) {
    if (m_ownedFrame.get() == frame)
        m_ownedFrame.reset();
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE, 0, 0);
}

// --- entry point ------------------------------------------------------------------------

int AfxWinMain(CWinApp& app, const CString& commandLine) {
    const Platform& platform = app.GetPlatform();
    app.m_lpCmdLine = commandLine;

    if (AnotherCopyRan(platform.desktop, platform.process))
        return -1;

    if (!app.InitInstance())
        return app.ExitInstance();
    return app.Run();
}

}  // namespace velk

#include "platform/framework/win_app.h"

#include <string>

#include "platform/strings.h"

namespace velk {

INT AfxMessageBox(IWindowSystem& windows, const CString& appName, const CString& text, HWND owner,
                  UINT type) {
    return windows.MessageBoxW(owner, text.c_str(), appName.c_str(), type);
}

namespace {

CString ModulePath(IProcess& process) {
    char16_t buf[kMaxPath + 1] = {};
    DWORD n = process.GetModuleFileNameW(HMODULE{}, buf, kMaxPath);
    if (n > kMaxPath)
        n = kMaxPath;
    return CString(buf, n);
}

// A window of a running copy of the program at path, or none.
HWND FindRunningCopy(const Platform& platform, const CString& path) {
    const CString wanted = Folded(path);
    HWND found;
    platform.windows.EnumWindows([&](HWND hwnd) -> BOOL {
        DWORD pid = 0;
        platform.windows.GetWindowThreadProcessId(hwnd, &pid);
        // Paths on these systems do not distinguish letter case.
        if (Folded(platform.process.GetProcessFileName(pid, kMaxPath)) == wanted) {
            found = hwnd;
            return 0;
        }
        return 1;
    });
    return found;
}

}  // namespace

// --- CWinApp ----------------------------------------------------------------------------

CWinApp::CWinApp(const Platform& platform)
    : m_platform(platform), m_profile(platform.registry, platform.process) {
    m_pszAppName = ApplicationNameFromPath(ModulePath(platform.process));
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
    IWindowSystem& windows = m_platform.windows;
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
    IProcess& process = platform.process;
    app.m_lpCmdLine = commandLine;

    // One copy at a time: the mutex is named by the program's path and stays open for
    // the life of the process.
    const CString path = ModulePath(process);
    CString mutexName = path;
    for (char16_t& c : mutexName)
        if (c == u'\\')
            c = u'/';
    const HANDLE mutex = process.CreateMutexW(0, mutexName.c_str());
    if (mutex && process.GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS)) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (const HWND running = FindRunningCopy(platform, path)) {
                // The low bit brings the window's topmost owned pop-up forward with it.
                platform.windows.SetForegroundWindow(HWND{running.value | 1});
                return -1;
            }
            // Its window may not exist yet: wait at idle priority and look again.
            const INT priority = process.GetThreadPriority();
            process.SetThreadPriority(THREAD_PRIORITY_IDLE_CE);
            process.Sleep(1000);
            process.SetThreadPriority(priority);
        }
    }

    if (!app.InitInstance())
        return app.ExitInstance();
    return app.Run();
}

}  // namespace velk

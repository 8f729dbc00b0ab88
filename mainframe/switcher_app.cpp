#include "mainframe/switcher_app.h"

#include <cstdint>
#include <limits>
#include <memory>

#include "mainframe/about_dlg.h"
#include "platform/strings.h"
#include "res/resource_ids.h"

namespace velk {

namespace {

constexpr SHORT kKeyDown = static_cast<SHORT>(0x8000);
constexpr DWORD kFrameStyle = FWS_ADDTOTITLE;
constexpr DWORD kStartupPause = 500;

// wcstol with base 10, for the text without leading white space.
INT ParseDecimal(const CString& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<INT>::max();
    constexpr std::int64_t kMin = std::numeric_limits<INT>::min();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > kMax + 1)
            value = kMax + 1;  // past either end already; keep it from growing
    }
    if (negative)
        value = -value;
    if (value > kMax)
        return static_cast<INT>(kMax);
    if (value < kMin)
        return static_cast<INT>(kMin);
    return static_cast<INT>(value);
}

}  // namespace

INT CheckIntervalFromCommandLine(const CString& commandLine) {
    CString text = commandLine;
    TrimLeft(text);
    TrimRight(text);
    if (text.empty())
        return kDefaultCheckInterval;
    return ParseDecimal(text);
}

BEGIN_MESSAGE_MAP(CSwitcherApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, ShowAboutBox)
END_MESSAGE_MAP()

BOOL CSwitcherApp::InitInstance() {
    m_platform.shell.SHInitExtraControls();
    m_platform.process.Sleep(kStartupPause);
    // Holding Up at this moment cancels the start.
    if (m_platform.windows.GetAsyncKeyState(VK_UP) & kKeyDown)
        return 0;
    SetRegistryKey(kRegistryKeyWord);

    auto owned = std::make_unique<CMainFrame>(*this);
    CMainFrame* frame = owned.get();
    SetMainFrame(std::move(owned));
    frame->CheckInterval = CheckIntervalFromCommandLine(m_lpCmdLine);
    frame->ExplainDecisions(explain_);
    // A refused window takes the frame object with it: the program ends, and nothing
    // touches the frame any more.
    if (!frame->LoadFrame(IDR_MAINFRAME, kFrameStyle, nullptr))
        return 0;
    frame->HideAllWindows();
    frame->UpdateWindow();
    return 1;
}

void CSwitcherApp::ShowAboutBox() {
    CAboutDlg dialog(m_platform);
    dialog.DoModal();
}

}  // namespace velk

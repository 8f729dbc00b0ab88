// The framework over a small working fake of the seam: message maps, command routing,
// frames and their lifetime, modal dialogs, data exchange and the entry point.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/framework/framework.h"
#include "tests/unit/support/framework_fake.h"

namespace velk {
namespace {

using test::FrameworkWorld;

// --- message maps -----------------------------------------------------------------------

class BaseWnd : public CWnd {
  public:
    explicit BaseWnd(const Platform& p) : CWnd(p) {}
    std::vector<std::string> log;
    DECLARE_MESSAGE_MAP()
  protected:
    LRESULT OnA(WPARAM, LPARAM) { return log.push_back("base A"), 1; }
    LRESULT OnB(WPARAM, LPARAM) { return log.push_back("base B"), 2; }
};
BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
ON_MESSAGE(WM_USER + 1, OnA)
ON_MESSAGE(WM_USER + 2, OnB)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd {
  public:
    explicit DerivedWnd(const Platform& p) : BaseWnd(p) {}
    DECLARE_MESSAGE_MAP()
  protected:
    LRESULT OnB(WPARAM, LPARAM) { return log.push_back("derived B"), 20; }
    void OnTimer(UINT_PTR id) {
        log.push_back("timer " + std::to_string(id));
        // A message handled in between must not change what Default() processes.
        SendMessage(WM_USER + 1);
        Default();
    }
};
BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
ON_MESSAGE(WM_USER + 2, OnB)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(MessageMap, UnnamedMessagesFallBackToTheBaseMapThenToDefaultProcessing) {
    FrameworkWorld w;
    DerivedWnd wnd(w.platform);
    ASSERT_TRUE(wnd.Create(nullptr, u"x", WS_VISIBLE, RECT{}, nullptr, 0));

    EXPECT_EQ(wnd.SendMessage(WM_USER + 1), 1);   // only the base names it
    EXPECT_EQ(wnd.SendMessage(WM_USER + 2), 20);  // the derived map wins
    w.windows.ClearCalls();
    EXPECT_EQ(wnd.SendMessage(WM_USER + 3), 0);  // nobody: default processing
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"base A", "derived B"}));
    ASSERT_EQ(w.windows.DefaultCalls().size(), 1u);
    EXPECT_EQ(w.windows.DefaultCalls()[0].second, WM_USER + 3);
}

TEST(MessageMap, DefaultProcessesTheMessageBeingHandledEvenAfterANestedOne) {
    FrameworkWorld w;
    DerivedWnd wnd(w.platform);
    ASSERT_TRUE(wnd.Create(nullptr, u"x", WS_VISIBLE, RECT{}, nullptr, 0));
    w.windows.ClearCalls();
    wnd.SendMessage(WM_TIMER, 7);
    ASSERT_EQ(w.windows.DefaultCalls().size(), 1u);
    EXPECT_EQ(w.windows.DefaultCalls()[0].first, wnd.m_hWnd);
    EXPECT_EQ(w.windows.DefaultCalls()[0].second, WM_TIMER);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"timer 7", "base A"}));
}

TEST(MessageMap, AWindowIsUnboundWhenDestroyedAndDestroyedWithItsObject) {
    FrameworkWorld w;
    HWND h;
    {
        BaseWnd wnd(w.platform);
        ASSERT_TRUE(wnd.Create(nullptr, u"x", 0, RECT{}, nullptr, 0));
        h = wnd.m_hWnd;
        EXPECT_TRUE(w.windows.Exists(h));
    }
    EXPECT_FALSE(w.windows.Exists(h));

    BaseWnd wnd(w.platform);
    ASSERT_TRUE(wnd.Create(nullptr, u"x", 0, RECT{}, nullptr, 0));
    wnd.DestroyWindow();
    EXPECT_FALSE(wnd.m_hWnd);
}

// --- command routing --------------------------------------------------------------------

struct Log {
    std::vector<std::string> entries;
};

class RouteApp : public CWinApp {
  public:
    RouteApp(const Platform& p, Log& log) : CWinApp(p), log_(log) {}
    DECLARE_MESSAGE_MAP()
  protected:
    void On10() { log_.entries.push_back("app 10"); }
    void On11() { log_.entries.push_back("app 11"); }
    void On12() { log_.entries.push_back("app 12"); }
    Log& log_;
};
BEGIN_MESSAGE_MAP(RouteApp, CWinApp)
ON_COMMAND(10, On10)
ON_COMMAND(11, On11)
ON_COMMAND(12, On12)
END_MESSAGE_MAP()

class RouteView : public CWnd {
  public:
    RouteView(const Platform& p, Log& log) : CWnd(p), log_(log) {}
    DECLARE_MESSAGE_MAP()
  protected:
    void On10() { log_.entries.push_back("view 10"); }
    Log& log_;
};
BEGIN_MESSAGE_MAP(RouteView, CWnd)
ON_COMMAND(10, On10)
END_MESSAGE_MAP()

class RouteFrame : public CFrameWnd {
  public:
    RouteFrame(CWinApp& app, Log& log, bool* gone) : CFrameWnd(app), log_(log), gone_(gone) {}
    ~RouteFrame() override { *gone_ = true; }
    bool refuse = false;
    DECLARE_MESSAGE_MAP()
  protected:
    INT OnCreate(LPARAM l) { return refuse ? -1 : CFrameWnd::OnCreate(l); }
    void On10() { log_.entries.push_back("frame 10"); }
    void On11() { log_.entries.push_back("frame 11"); }
    // Closes the program from inside one of its own handlers, then goes on using itself.
    void On20() {
        App().OnCmdMsg(ID_APP_EXIT, 0);
        log_.entries.push_back(*gone_ ? "deleted" : "alive");
        log_.entries.push_back(m_hWnd ? "window" : "no window");
    }
    Log& log_;
    bool* gone_;
};
BEGIN_MESSAGE_MAP(RouteFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(10, On10)
ON_COMMAND(11, On11)
ON_COMMAND(20, On20)
END_MESSAGE_MAP()

struct RouteFixture : ::testing::Test {
    FrameworkWorld w;
    Log log;
    bool gone = false;
    RouteApp app{w.platform, log};
    RouteFrame* frame = nullptr;

    void SetUp() override {
        auto owned = std::make_unique<RouteFrame>(app, log, &gone);
        frame = owned.get();
        app.SetMainFrame(std::move(owned));
    }
};

TEST_F(RouteFixture, CommandsGoToTheViewThenTheFrameThenTheApplication) {
    ASSERT_TRUE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    RouteView view(w.platform, log);
    frame->SetActiveView(&view);
    for (UINT id : {10u, 11u, 12u})
        frame->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"view 10", "frame 11", "app 12"}));

    w.windows.ClearCalls();
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(13, 0));  // nobody takes it
    ASSERT_EQ(w.windows.DefaultCalls().size(), 1u);
    EXPECT_EQ(w.windows.DefaultCalls()[0].second, WM_COMMAND);
}

TEST_F(RouteFixture, LoadFrameCreatesAVisibleWindowCaptionedFromTheStringResource) {
    ASSERT_TRUE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    EXPECT_EQ(w.windows.Get(frame->m_hWnd).text, u"Velk");
    EXPECT_TRUE(w.windows.Get(frame->m_hWnd).visible);
    EXPECT_EQ(w.windows.Get(frame->m_hWnd).style & FWS_ADDTOTITLE, 0u);
}

TEST_F(RouteFixture, ExitClosesTheMainWindowDeletesTheFrameAndEndsTheLoop) {
    ASSERT_TRUE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    const HWND h = frame->m_hWnd;
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(ID_APP_EXIT), 0));
    EXPECT_FALSE(w.windows.Exists(h));
    EXPECT_TRUE(gone);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(w.windows.Quits(), std::vector<INT>{0});
    EXPECT_EQ(app.Run(), 0);
}

TEST_F(RouteFixture, AFrameClosedFromItsOwnHandlerIsDeletedOnlyAfterTheHandler) {
    ASSERT_TRUE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(20, 0));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"alive", "no window"}));
    // The handler still saw a live object; it is gone once the message is done, and the
    // quit was posted at once.
    EXPECT_TRUE(gone);
    EXPECT_EQ(w.windows.Quits(), std::vector<INT>{0});
}

TEST_F(RouteFixture, ARefusedFrameWindowTakesItsObjectWith) {
    frame->refuse = true;
    EXPECT_FALSE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    EXPECT_TRUE(gone);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

TEST_F(RouteFixture, MenuBarIsTheShellsOrAStandInAlongTheBottomOfTheWorkArea) {
    ASSERT_TRUE(frame->LoadFrame(128, FWS_ADDTOTITLE, nullptr));
    {
        CCeCommandBar bar(w.platform);
        ASSERT_TRUE(bar.Create(frame, 0x50002800, AFX_IDW_TOOLBAR));
        EXPECT_EQ(bar.m_hWnd, w.shell.menuBarWindow);
        EXPECT_EQ(bar.GetBarStyle(), 0x2800u);
        ASSERT_TRUE(bar.InsertMenuBar(128));
        EXPECT_EQ(frame->GetMenu(), bar.GetMenuBar());
    }
    w.shell.menuBar = 0;
    CCeCommandBar bar(w.platform);
    ASSERT_TRUE(bar.Create(frame, 0x50002800, AFX_IDW_TOOLBAR));
    RECT r;
    ASSERT_TRUE(bar.GetWindowRect(&r));
    EXPECT_EQ(r, (RECT{0, 294 - 26, 240, 294}));
    EXPECT_FALSE(w.windows.Get(bar.m_hWnd).style & WS_CHILD);
}

// --- dialogs ----------------------------------------------------------------------------

class HookDialog : public CDialog {
  public:
    HookDialog(UINT id, const Platform& p) : CDialog(id, p) {}
    std::function<void(CDataExchange*)> exchange;
    int initCount = 0;

  protected:
    void DoDataExchange(CDataExchange* dx) override {
        if (exchange)
            exchange(dx);
    }
    BOOL OnInitDialog() override {
        ++initCount;
        return CDialog::OnInitDialog();
    }
};

TEST(ModalDialog, OkSavesTheControlsAndEndsWithOne) {
    FrameworkWorld w;
    HookDialog dlg(130, w.platform);
    CString onList = u"start";
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, 1000, onList); };
    HWND seen;
    w.windows.OnIdle([&] {
        seen = dlg.m_hWnd;
        EXPECT_EQ(w.windows.Get(dlg.GetDlgItem(1000)).text, u"start");  // loaded at init
        w.windows.SetWindowTextW(dlg.GetDlgItem(1000), u"typed");
        w.windows.PostCommand(dlg.m_hWnd, IDOK);
        w.windows.OnIdle(nullptr);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(onList, u"typed");
    EXPECT_FALSE(w.windows.Exists(seen));
    EXPECT_EQ(dlg.initCount, 1);
}

TEST(ModalDialog, CancelEndsWithTwoAndSavesNothing) {
    FrameworkWorld w;
    HookDialog dlg(130, w.platform);
    CString onList = u"start";
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, 1000, onList); };
    w.windows.OnIdle([&] {
        w.windows.SetWindowTextW(dlg.GetDlgItem(1000), u"typed");
        w.windows.PostCommand(dlg.m_hWnd, IDCANCEL);
        w.windows.OnIdle(nullptr);
    });
    EXPECT_EQ(dlg.DoModal(), 2);
    EXPECT_EQ(onList, u"start");
}

TEST(ModalDialog, QuitEndsTheLoopAndIsPostedAgainForTheLoopOutside) {
    FrameworkWorld w;
    HookDialog dlg(130, w.platform);
    HWND seen;
    w.windows.OnIdle([&] {
        seen = dlg.m_hWnd;
        w.windows.PostQuitMessage(7);
        w.windows.OnIdle(nullptr);
    });
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_FALSE(w.windows.Exists(seen));
    ASSERT_EQ(w.windows.Queue().size(), 1u);
    EXPECT_EQ(w.windows.Queue()[0].message, WM_QUIT);
    EXPECT_EQ(w.windows.Queue()[0].wParam, 7u);
}

TEST(ModalDialog, FullScreenDialogsAreBroughtForwardAndInitialisedByTheShell) {
    FrameworkWorld w;
    HookDialog dlg(130, w.platform);
    w.windows.OnIdle([&] {
        dlg.SendMessage(WM_ACTIVATE, 1);
        dlg.SendMessage(WM_SETTINGCHANGE);
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
    ASSERT_EQ(w.shell.initDialogs.size(), 1u);
    EXPECT_EQ(w.shell.initDialogs[0].dwMask, 1u);
    EXPECT_EQ(w.shell.initDialogs[0].dwFlags, 0x0Du);
    EXPECT_FALSE(w.shell.initDialogs[0].hDlg == HWND{});
    EXPECT_EQ(w.windows.Foregrounds(), std::vector<HWND>{w.shell.initDialogs[0].hDlg});
    EXPECT_EQ(w.shell.activations, 1);
    EXPECT_EQ(w.shell.settingChanges, 1);

    HookDialog small(138, w.platform);
    small.m_bFullScreen = 0;
    w.windows.OnIdle([&] {
        small.SendMessage(WM_ACTIVATE, 1);
        small.EndDialog(IDOK);
    });
    small.DoModal();
    EXPECT_EQ(w.shell.initDialogs.size(), 1u);
    EXPECT_EQ(w.shell.activations, 1);
}

TEST(ModalDialog, ATemplateWithoutTheVisibleStyleIsShownAndCentredOverTheWorkArea) {
    FrameworkWorld w;
    HookDialog about(100, w.platform);
    w.windows.OnIdle([&] {
        EXPECT_TRUE(about.IsWindowVisible());
        about.CenterWindow();
        about.EndDialog(IDOK);
    });
    about.DoModal();
    // 100 x 50 in the work area {0, 26, 240, 294}.
    ASSERT_EQ(w.windows.Moves().size(), 1u);
    EXPECT_EQ(w.windows.Moves()[0], (std::pair<LONG, LONG>{70, 135}));
}

TEST(ModalDialog, AnEndedDialogLeavesTheScreenAtOnce) {
    FrameworkWorld w;
    HookDialog first(100, w.platform);
    HookDialog second(100, w.platform);
    int step = 0;
    w.windows.OnIdle([&] {
        if (step++ == 0) {
            second.DoModal();  // nested inside the first one's loop
        } else if (step == 2) {
            first.EndDialog(IDOK);
            EXPECT_FALSE(first.IsWindowVisible());
            second.EndDialog(IDOK);
        }
    });
    EXPECT_EQ(first.DoModal(), IDOK);
}

// --- data exchange ----------------------------------------------------------------------

struct DdxFixture : ::testing::Test {
    FrameworkWorld w;
    std::unique_ptr<HookDialog> dlg;
    // Runs body while dialog id is open, then closes it.
    void WithOpenDialog(UINT id, const std::function<void()>& body) {
        dlg = std::make_unique<HookDialog>(id, w.platform);
        w.windows.OnIdle([&] {
            body();
            dlg->EndDialog(IDCANCEL);
        });
        dlg->DoModal();
    }
    test::FakeWindowSystem::Window& Ctl(INT id) { return w.windows.Get(dlg->GetDlgItem(id)); }
};

TEST_F(DdxFixture, CheckStateLoadClampsOutOfRangeValuesToClearAndKeepsTheClamp) {
    WithOpenDialog(130, [&] {
        INT keep = 5;
        dlg->exchange = [&](CDataExchange* dx) { DDX_Check(dx, 1012, keep); };
        Ctl(1012).check = 1;
        dlg->UpdateData(0);
        EXPECT_EQ(keep, 0);
        EXPECT_EQ(Ctl(1012).check, 0);
        keep = -1;
        dlg->UpdateData(0);
        EXPECT_EQ(keep, 0);
        keep = 2;
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1012).check, 2);
        Ctl(1012).check = 1;
        dlg->UpdateData(1);
        EXPECT_EQ(keep, 1);
    });
}

TEST_F(DdxFixture, ComboIndexIsMinusOneWithoutSelectionAndOutOfRangeLoadsSelectNothing) {
    WithOpenDialog(130, [&] {
        INT index = 1;
        dlg->exchange = [&](CDataExchange* dx) { DDX_CBIndex(dx, 1006, index); };
        for (auto text : {u"Widcomm", u"Microsoft (conn.)", u"Microsoft (disc.)"})
            w.windows.SendMessageW(dlg->GetDlgItem(1006), CB_ADDSTRING, 0,
                                   reinterpret_cast<LPARAM>(text));
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1006).selection, 1);
        index = 3;
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1006).selection, -1);
        index = 2;
        dlg->UpdateData(1);
        EXPECT_EQ(index, -1);
        Ctl(1006).selection = 2;
        dlg->UpdateData(1);
        EXPECT_EQ(index, 2);
    });
}

TEST_F(DdxFixture, RadioIndexCountsTheGroupInTemplateOrderUpToTheNextGroup) {
    WithOpenDialog(138, [&] {
        INT list = 1;
        dlg->exchange = [&](CDataExchange* dx) { DDX_Radio(dx, 1007, list); };
        Ctl(1009).check = 1;  // the check box after the group is no member of it
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1007).check, 0);
        EXPECT_EQ(Ctl(1010).check, 1);  // template order: 1007, 1010, 1008
        EXPECT_EQ(Ctl(1008).check, 0);
        EXPECT_EQ(Ctl(1009).check, 1);

        list = -1;
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1007).check + Ctl(1010).check + Ctl(1008).check, 0);
        dlg->UpdateData(1);
        EXPECT_EQ(list, -1);

        Ctl(1008).check = 1;
        dlg->UpdateData(1);
        EXPECT_EQ(list, 2);
    });
}

TEST_F(DdxFixture, TextMovesTheWholeTextBothWays) {
    WithOpenDialog(138, [&] {
        CString caption = CString(300, u'x') + u"end";
        dlg->exchange = [&](CDataExchange* dx) { DDX_Text(dx, 1006, caption); };
        dlg->UpdateData(0);
        EXPECT_EQ(Ctl(1006).text, caption);
        Ctl(1006).text = u"";
        dlg->UpdateData(1);
        EXPECT_EQ(caption, u"");
    });
}

// --- the entry point --------------------------------------------------------------------

class CountingApp : public CWinApp {
  public:
    using CWinApp::CWinApp;
    int inits = 0;
    BOOL result = 1;
    INT quitWith = -100;
    BOOL InitInstance() override {
        ++inits;
        if (quitWith != -100)
            m_platform.windows.PostQuitMessage(quitWith);
        return result;
    }
};

struct EntryFixture : ::testing::Test {
    FrameworkWorld w;
    CountingApp app{w.platform};
    const HWND other{0x4444};
    void AnotherCopyRuns() {
        w.process.lastError = 183;
        w.process.processFiles[9] = u"\\program files\\velk\\VELK.EXE";
    }
};

TEST_F(EntryFixture, AloneItStartsAndNamesTheMutexByItsPathWithForwardSlashes) {
    EXPECT_EQ(AfxWinMain(app, u" 3000"), 0);
    EXPECT_EQ(app.inits, 1);
    EXPECT_EQ(app.m_lpCmdLine, u" 3000");
    EXPECT_EQ(app.m_pszAppName, u"Velk");
    EXPECT_EQ(w.process.mutexNames, std::vector<std::u16string>{u"/Program Files/Velk/Velk.exe"});
    EXPECT_TRUE(w.process.sleeps.empty());
}

TEST_F(EntryFixture, ARunningCopyIsBroughtForwardAndThisOneEndsWithMinusOne) {
    AnotherCopyRuns();
    w.windows.SetOtherProcessWindows({{HWND{0x1110}, 4}, {other, 9}, {HWND{0x5550}, 9}});
    EXPECT_EQ(AfxWinMain(app, u""), -1);
    EXPECT_EQ(app.inits, 0);
    // The first match wins, its handle passed with the lowest bit set.
    EXPECT_EQ(w.windows.Foregrounds(), std::vector<HWND>{HWND{0x4445}});
    EXPECT_TRUE(w.process.sleeps.empty());
}

TEST_F(EntryFixture, ACopyWhoseWindowAppearsLateIsFoundAfterAWait) {
    AnotherCopyRuns();
    w.process.onSleep = [&] { w.windows.SetOtherProcessWindows({{other, 9}}); };
    EXPECT_EQ(AfxWinMain(app, u""), -1);
    EXPECT_EQ(w.process.sleeps, std::vector<DWORD>{1000});
    EXPECT_EQ(app.inits, 0);
}

TEST_F(EntryFixture, ThreeMissesWaitAtIdlePriorityThenStartAsAFurtherCopy) {
    AnotherCopyRuns();
    w.process.priority = 4;
    w.windows.SetOtherProcessWindows({{HWND{0x1110}, 4}});  // some other program's window
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_EQ(w.process.sleeps, (std::vector<DWORD>{1000, 1000, 1000}));
    EXPECT_EQ(w.process.priorities, (std::vector<INT>{7, 4, 7, 4, 7, 4}));
    EXPECT_EQ(app.inits, 1);
    EXPECT_TRUE(w.windows.Foregrounds().empty());
}

TEST_F(EntryFixture, ExitCodeIsTheQuitCodeOrExitInstancesWhenInitialisationFails) {
    app.quitWith = 3;
    EXPECT_EQ(AfxWinMain(app, u""), 3);

    CountingApp failing(w.platform);
    failing.result = 0;
    failing.quitWith = 5;  // a quit already queued is not looked at: no loop runs
    EXPECT_EQ(AfxWinMain(failing, u""), 0);
}

TEST(MessageBox, IsCaptionedWithTheApplicationNameWithOkExclamationAndForeground) {
    FrameworkWorld w;
    w.process.path = u"\\Windows\\Switcher.v2.exe";
    CWinApp app(w.platform);
    app.DoMessageBox(u"Launch!");
    ASSERT_EQ(w.windows.Boxes().size(), 1u);
    EXPECT_EQ(w.windows.Boxes()[0].text, u"Launch!");
    EXPECT_EQ(w.windows.Boxes()[0].caption, u"Switcher.v2");
    EXPECT_EQ(w.windows.Boxes()[0].type, 0x00010030u);
}

// The application's name comes from the whole path however deep the folder, while the
// single-instance check keeps reading the path into its 260 characters.
TEST(ApplicationName, IsTheProgramsFileNameEvenInADeepFolder) {
    for (const std::size_t folderChars : {250u, 259u, 260u, 1000u}) {
        FrameworkWorld w;
        w.process.path = u"\\" + std::u16string(folderChars, u'd') + u"\\Velk.v2.exe";
        CWinApp app(w.platform);
        EXPECT_EQ(app.m_pszAppName, u"Velk.v2") << folderChars;
        EXPECT_EQ(app.Profile().ApplicationName(), u"Velk.v2") << folderChars;
    }
}

}  // namespace
}  // namespace velk

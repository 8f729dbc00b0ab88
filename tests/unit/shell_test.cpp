// The application shell on the simulated handheld: start-up, the hidden frame, its
// notification icon and menu, the About box, Exit, and the check interval.

#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mainframe/switcher_app.h"
#include "platform/sim/handheld.h"
#include "platform/sim/trace.h"
#include "res/resource_ids.h"
#include "tests/unit/support/program_fixture.h"

namespace velk {
namespace {

class ShellTest : public test::ProgramFixture<CSwitcherApp> {
  protected:
    HWND Frame() const { return hh.TopLevel(u"Velk"); }
    const NOTIFYICONDATA& Icon() const { return hh.Icons().at(0).data; }
    void ThenExit() {
        steps.Then([this] { hh.TapIcon(); });
        steps.Then([this] { hh.ChooseMenuItem(u"E&xit"); });
    }

    // Trace entries of the program, by name.
    std::vector<sim::TraceEntry> Entries(const std::string& name) {
        std::vector<sim::TraceEntry> out;
        for (const auto& e : hh.GetTrace().Entries())
            if (e.name == name)
                out.push_back(e);
        return out;
    }
    // Position of the first entry named name at or after from; npos when none.
    std::size_t Find(const std::string& name, std::size_t from = 0) {
        const auto& all = hh.GetTrace().Entries();
        for (std::size_t i = from; i < all.size(); ++i)
            if (all[i].name == name)
                return i;
        return std::string::npos;
    }
};

// --- start-up and the creation step -----------------------------------------------------

TEST_F(ShellTest, StartUpCreatesTheFrameInOrderAndShowsOnlyTheIcon) {
    steps.Then([this] {
        ASSERT_EQ(hh.Icons().size(), 1u);
        EXPECT_EQ(Icon().cbSize, 152u);
        EXPECT_EQ(Icon().hWnd, Frame());
        EXPECT_EQ(Icon().uID, 1u);
        EXPECT_EQ(Icon().uFlags, 3u);
        EXPECT_EQ(Icon().uCallbackMessage, 1026u);
        EXPECT_EQ(hh.IconResource(Icon().hIcon), IDI_TRAY_SMALL);
        EXPECT_FALSE(hh.GetWorld().IsVisible(Frame()));
        EXPECT_EQ(app.Profile().RegistryKey(), u"Velk");
    });
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);

    // Start-up, then the twelve creation steps, then hiding.
    std::size_t at = 0;
    for (const char* name :
         {"SHInitExtraControls", "Sleep", "GetAsyncKeyState", "CreateWindowExW", "CreateWindowExW",
          "SHCreateMenuBar", "LoadMenuW", "RegOpenKeyExW", "SetTimer", "GetWindowRect", "LoadIconW",
          "Shell_NotifyIcon", "ShowWindow", "ShowWindow", "ShowWindow", "UpdateWindow"}) {
        at = Find(name, at);
        ASSERT_NE(at, std::string::npos) << name;
        ++at;
    }
    const auto windows = Entries("CreateWindowExW");
    ASSERT_GE(windows.size(), 2u);
    EXPECT_NE(windows[0].args.find("\"Velk\""), std::string::npos) << windows[0].args;
    // The view: border dropped, class with styles 0xB and the window colour, pane id.
    for (const char* part : {"0x50000000", "59648", ":B:40000006"})
        EXPECT_NE(windows[1].args.find(part), std::string::npos) << windows[1].args;
    EXPECT_NE(Entries("LoadMenuW").at(0).args.find("128"), std::string::npos);
    EXPECT_NE(Entries("Sleep").at(0).args.find("500"), std::string::npos);
}

TEST_F(ShellTest, TheViewDropsItsBorderAndItsClassHasTheDevicesWindowColour) {
    steps.Then([this] {
        const auto& kids = hh.GetWorld().Get(Frame()).children;
        ASSERT_EQ(kids.size(), 1u);
        const sim::SimWindow& view = hh.GetWorld().Get(kids[0]);
        EXPECT_EQ(view.style & WS_BORDER, 0u);
        EXPECT_EQ(view.style & WS_CHILD, WS_CHILD);
        EXPECT_EQ(view.id, 0xE900);
    });
    ThenExit();
    AfxWinMain(app, u"");
    bool viewClass = false;
    for (const auto& e : Entries("RegisterClassW"))
        viewClass |= e.args.find("style 11") != std::string::npos ||
                     e.args.find("style 0xb") != std::string::npos ||
                     e.args.find("style 0xB") != std::string::npos;
    EXPECT_TRUE(viewClass);
}

TEST_F(ShellTest, HideAllWindowsHidesTheBarTheViewAndTheFrameInThatOrder) {
    HWND bar;
    HWND view;
    HWND frame;
    steps.Then([this, &bar, &view, &frame] {
        frame = Frame();
        view = hh.GetWorld().Get(frame).children.at(0);
        for (HWND h : hh.GetWorld().ZOrder())
            if (hh.GetWorld().Get(h).className == u"menu_worker")
                bar = h;
        EXPECT_FALSE(hh.GetWorld().IsVisible(bar));
    });
    ThenExit();
    AfxWinMain(app, u"");
    std::vector<std::string> hides;
    for (const auto& e : Entries("ShowWindow"))
        if (e.args.size() >= 3 && e.args.compare(e.args.size() - 3, 3, ", 0") == 0)
            hides.push_back(e.args);
    ASSERT_GE(hides.size(), 3u);
    EXPECT_NE(hides[2].find("Velk"), std::string::npos) << hides[2];
    // The menu bar first, then the view, then the frame.
    EXPECT_EQ(hides[0].rfind(sim::TraceHandle(bar.value), 0), 0u) << hides[0];
    EXPECT_EQ(hides[1].rfind(sim::TraceHandle(view.value), 0), 0u) << hides[1];
    EXPECT_EQ(hides[2].rfind(sim::TraceHandle(frame.value), 0), 0u) << hides[2];
}

TEST_F(ShellTest, HoldingUpAtTheHalfSecondMarkEndsTheStartWithNothingMade) {
    hh.SetKeyDown(VK_UP, true);
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_TRUE(hh.Icons().empty());
    EXPECT_TRUE(app.Profile().RegistryKey().empty());
    EXPECT_EQ(hh.GetTrace().Count("CreateWindowExW"), 0u);
    EXPECT_EQ(hh.GetTrace().Count("RegOpenKeyExW"), 0u);
    EXPECT_EQ(hh.GetTrace().Count("SetTimer"), 0u);
}

TEST_F(ShellTest, TheFirstTickComesOneCheckIntervalAfterTheTimerStarted) {
    steps.Then([] {}, 1600);
    ThenExit();
    AfxWinMain(app, u"");
    const auto timers = Entries("SetTimer");
    const auto fronts = Entries("GetForegroundWindow");
    ASSERT_FALSE(timers.empty());
    ASSERT_FALSE(fronts.empty());
    EXPECT_EQ(fronts[0].time, timers[0].time + 1500);
}

// --- the icon ---------------------------------------------------------------------------

class IconChoice : public ShellTest, public ::testing::WithParamInterface<std::pair<LONG, WORD>> {};

TEST_P(IconChoice, FollowsTheMenuBarsTopEdge) {
    hh.SetScreen(480, 640);
    hh.SetMenuBarTop(GetParam().first);
    steps.Then([this] { EXPECT_EQ(hh.IconResource(Icon().hIcon), GetParam().second); });
    ThenExit();
    AfxWinMain(app, u"");
}

INSTANTIATE_TEST_SUITE_P(BarTop, IconChoice,
                         ::testing::Values(std::pair<LONG, WORD>{294, IDI_TRAY_SMALL},
                                           std::pair<LONG, WORD>{320, IDI_TRAY_SMALL},
                                           std::pair<LONG, WORD>{321, IDI_TRAY_LARGE},
                                           std::pair<LONG, WORD>{614, IDI_TRAY_LARGE}));

TEST_F(ShellTest, OnlyATapOnIconOneOpensTheMenuAndASecondTapWhileOpenDoesNothing) {
    steps.Then([this] {
        hh.NotifyIcon(Frame(), 1, WM_LBUTTONUP);
        hh.NotifyIcon(Frame(), 1, WM_LBUTTONDBLCLK);
        hh.NotifyIcon(Frame(), 1, WM_RBUTTONDOWN);
    });
    steps.Then([this] {
        EXPECT_FALSE(hh.MenuOpen());
        hh.TapIcon();
    });
    steps.Then([this] {
        ASSERT_TRUE(hh.MenuOpen());
        const sim::TrackedMenu& menu = hh.OpenMenu();
        EXPECT_EQ(menu.flags, 0x68u);
        EXPECT_EQ(menu.x, 240);  // the bar's top-right corner
        EXPECT_EQ(menu.y, 294);
        EXPECT_EQ(menu.owner, Frame());
        EXPECT_EQ(menu.items,
                  (std::vector<std::u16string>{u"Settings...", u"&About Velk...", u"E&xit"}));
        hh.TapIcon();
    });
    steps.Then([this] {
        EXPECT_EQ(hh.GetWorld().OpenMenus().size(), 1u);
        hh.ChooseMenuItem(u"E&xit");
    });
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_EQ(hh.GetTrace().Count("TrackPopupMenuEx"), 1u);
}

// Notifications of any other icon id, with any mouse message, open nothing.
TEST_F(ShellTest, ANotificationForAnotherIconIdOpensNoMenu) {
    steps.Then([this] {
        // As the shell would post them for icons the program never added.
        for (WPARAM id : {WPARAM{0}, WPARAM{2}, WPARAM{0xFFFF}})
            hh.WindowsFor(pid).PostMessageW(Frame(), kIconNotifyMessage, id, WM_LBUTTONDOWN);
    });
    steps.Then([this] {
        EXPECT_FALSE(hh.MenuOpen());
        EXPECT_EQ(hh.GetTrace().Count("TrackPopupMenuEx"), 0u);
    });
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);
}

// The frame hands the focus it gets on to its view, at once and only to the view.
TEST_F(ShellTest, FocusGivenToTheFrameGoesToTheView) {
    steps.Then([this] {
        const HWND view = hh.GetWorld().Get(Frame()).children.at(0);
        hh.GetWorld().SetFocus(HWND{});
        const std::size_t before = hh.GetTrace().Count("SetFocus");
        hh.GetWorld().Send(Frame(), WM_SETFOCUS, 0, 0);
        EXPECT_EQ(hh.GetWorld().Focus(), view);
        EXPECT_EQ(hh.GetTrace().Count("SetFocus"), before + 1);
    });
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);
}

TEST_F(ShellTest, WithoutTheShellsMenuBarAStandInMarksTheBottomOfTheWorkArea) {
    hh.SetShellLibraryPresent(false);
    steps.Then([this] { hh.TapIcon(); });
    steps.Then([this] {
        ASSERT_TRUE(hh.MenuOpen());
        EXPECT_EQ(hh.OpenMenu().y, 294 - 26);
        EXPECT_EQ(hh.IconResource(Icon().hIcon), IDI_TRAY_SMALL);
        hh.ChooseMenuItem(u"E&xit");
    });
    EXPECT_EQ(AfxWinMain(app, u""), 0);
}

// --- About and Exit ---------------------------------------------------------------------

TEST_F(ShellTest, AboutOpensFullScreenAndClosesByItself) {
    steps.Then([this] { hh.TapIcon(); });
    steps.Then([this] { hh.ChooseMenuItem(u"&About Velk..."); });
    steps.Then([this] {
        EXPECT_EQ(hh.GetWorld().Get(hh.FrontDialog()).caption, u"About Velk");
        hh.PressDone();
    });
    steps.Then([this] { EXPECT_FALSE(hh.WindowExists(u"About Velk")); });
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_EQ(hh.GetTrace().Count("SHInitDialog"), 1u);
}

TEST_F(ShellTest, ExitRemovesTheIconDestroysTheWindowsAndEndsWithZero) {
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_TRUE(hh.Icons().empty());
    EXPECT_FALSE(hh.WindowExists(u"Velk"));
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    const auto notes = Entries("Shell_NotifyIcon");
    ASSERT_EQ(notes.size(), 2u);
}

TEST_F(ShellTest, ExitChosenWhileTheAboutBoxIsOpenStillEndsCleanly) {
    steps.Then([this] { hh.TapIcon(); });
    steps.Then([this] { hh.ChooseMenuItem(u"&About Velk..."); });
    steps.Then([this] { hh.TapIcon(); });  // the About box's loop takes the tap
    steps.Then([this] { hh.ChooseMenuItem(u"E&xit"); });
    EXPECT_EQ(AfxWinMain(app, u""), 0);
    EXPECT_TRUE(hh.Icons().empty());
    EXPECT_FALSE(hh.WindowExists(u"About Velk"));
}

TEST_F(ShellTest, ASecondCopyBringsTheFirstForwardAndEnds) {
    const DWORD second = hh.CreateProcess(u"\\Windows\\Velk.exe");
    CSwitcherApp other(hh.PlatformFor(second));
    steps.Then([&] {
        EXPECT_EQ(AfxWinMain(other, u""), -1);
        EXPECT_EQ(hh.Icons().size(), 1u);
    });
    ThenExit();
    EXPECT_EQ(AfxWinMain(app, u""), 0);
}

// --- the check interval -----------------------------------------------------------------

class CommandLine : public ShellTest,
                    public ::testing::WithParamInterface<std::pair<const char16_t*, INT>> {};

TEST_P(CommandLine, SetsThePollingPeriod) {
    ThenExit();
    AfxWinMain(app, GetParam().first);
    const auto timers = Entries("SetTimer");
    ASSERT_FALSE(timers.empty());
    const std::string tail = ", 1, " + std::to_string(static_cast<UINT>(GetParam().second));
    EXPECT_EQ(timers[0].args.substr(timers[0].args.size() - tail.size()), tail) << timers[0].args;
}

INSTANTIATE_TEST_SUITE_P(Texts, CommandLine,
                         ::testing::Values(std::pair<const char16_t*, INT>{u"", 1500},
                                           std::pair<const char16_t*, INT>{u"   ", 1500},
                                           std::pair<const char16_t*, INT>{u"3000", 3000},
                                           std::pair<const char16_t*, INT>{u" 750 ", 750},
                                           std::pair<const char16_t*, INT>{u"2000ms", 2000},
                                           std::pair<const char16_t*, INT>{u"abc", 0}));

TEST(CheckInterval, ReadsLikeWcstolWithBaseTen) {
    EXPECT_EQ(CheckIntervalFromCommandLine(u"\t\r\n "), 1500);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"+12"), 12);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"-5"), -5);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"- 5"), 0);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"\t 42 x"), 42);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"0x10"), 0);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"2147483647"), INT_MAX);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"2147483648"), INT_MAX);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"99999999999999999999999"), INT_MAX);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"-2147483648"), INT_MIN);
    EXPECT_EQ(CheckIntervalFromCommandLine(u"-2147483649"), INT_MIN);
}

}  // namespace
}  // namespace velk

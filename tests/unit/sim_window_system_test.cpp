// The simulated handheld's window world: messages and timers on the virtual clock,
// nested modal loops, foreground and z-order, dialogs and their controls, hot keys,
// message boxes, icons and process services.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/handheld.h"

namespace velk::sim {
namespace {

using ::testing::ElementsAre;

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    unsigned long long time;
};

// A window of the test: records every message, lets a test react to some, and leaves
// the rest to the default processing.
class Recorder : public IWindowHandler {
  public:
    Recorder(IWindowSystem& ws, const Clock& clock) : ws_(ws), clock_(clock) {}

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back({hwnd, message, wParam, lParam, clock_.Now()});
        if (on)
            if (auto r = on(hwnd, message, wParam, lParam))
                return *r;
        return ws_.DefWindowProcW(hwnd, message, wParam, lParam);
    }

    std::vector<UINT> Messages() const {
        std::vector<UINT> out;
        for (const Seen& s : seen)
            out.push_back(s.message);
        return out;
    }
    int Count(UINT message) const {
        int n = 0;
        for (const Seen& s : seen)
            n += s.message == message;
        return n;
    }

    std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> on;
    std::vector<Seen> seen;

  private:
    IWindowSystem& ws_;
    const Clock& clock_;
};

// Scripted events at fixed virtual times.
class Script : public IScriptDriver {
  public:
    void At(unsigned long long t, std::function<void()> action) {
        events_.push_back({t, std::move(action)});
    }
    std::optional<unsigned long long> NextWake() override {
        if (next_ >= events_.size())
            return std::nullopt;
        return events_[next_].first;
    }
    void Wake() override { events_[next_++].second(); }

  private:
    std::vector<std::pair<unsigned long long, std::function<void()>>> events_;
    std::size_t next_ = 0;
};

class WindowWorldTest : public ::testing::Test {
  protected:
    WindowWorldTest()
        : pid(hh.CreateProcess(u"\\Windows\\Velk.exe")),
          ws(hh.WindowsFor(pid)),
          main(ws, hh.GetClock()) {
        hh.SetDriver(&script);
        frame =
            ws.CreateWindowExW(0, u"Frame", u"Velk", WS_VISIBLE, 0, 0, 240, 320, HWND{}, 0, &main);
        main.seen.clear();
    }

    // Runs the program's loop until WM_QUIT; returns the messages it dispatched.
    std::vector<UINT> RunLoop() {
        std::vector<UINT> got;
        MSG msg;
        while (ws.GetMessageW(&msg, HWND{}, 0, 0)) {
            got.push_back(msg.message);
            ws.DispatchMessageW(&msg);
        }
        return got;
    }

    unsigned long long Now() { return hh.GetClock().Now(); }

    SimHandheld hh;
    Script script;
    DWORD pid;
    IWindowSystem& ws;
    Recorder main;
    HWND frame;
};

// --- messages and timers -------------------------------------------------------------

TEST_F(WindowWorldTest, TimersFireInDueOrderAndReArmFromTheirDueTime) {
    std::vector<std::pair<UINT_PTR, unsigned long long>> ticks;
    main.on = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_TIMER) {
            ticks.push_back({w, Now()});
            if (ticks.size() == 6)
                ws.PostQuitMessage(0);
        }
        return std::nullopt;
    };
    ws.SetTimer(frame, 1, 500);
    ws.SetTimer(frame, 2, 300);
    RunLoop();
    using P = std::pair<UINT_PTR, unsigned long long>;
    EXPECT_THAT(ticks,
                ElementsAre(P{2, 300}, P{1, 500}, P{2, 600}, P{2, 900}, P{1, 1000}, P{2, 1200}));
}

TEST_F(WindowWorldTest, TimersDueTogetherFireInCreationOrder) {
    std::vector<UINT_PTR> ids;
    main.on = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_TIMER && ids.size() < 4 && (ids.push_back(w), ids.size() == 4))
            ws.PostQuitMessage(0);
        return std::nullopt;
    };
    ws.SetTimer(frame, 7, 100);
    ws.SetTimer(frame, 3, 100);
    RunLoop();
    EXPECT_THAT(ids, ElementsAre(7u, 3u, 7u, 3u));
}

TEST_F(WindowWorldTest, TimerPeriodsAreClampedAndASecondSetTimerReplacesTheFirst) {
    ws.SetTimer(frame, 1, 0);
    EXPECT_EQ(hh.GetWorld().Timers().at(0).due, 10u);  // USER_TIMER_MINIMUM
    ws.SetTimer(frame, 1, 0xFFFFFFFFu);
    ASSERT_EQ(hh.GetWorld().Timers().size(), 1u);
    EXPECT_EQ(hh.GetWorld().Timers().at(0).period, 0x7FFFFFFFu);
    EXPECT_TRUE(ws.KillTimer(frame, 1));
    EXPECT_FALSE(ws.KillTimer(frame, 1));
}

TEST_F(WindowWorldTest, SleepDelaysDueTimersAndCoalescesMissedPeriods) {
    std::vector<unsigned long long> at;
    main.on = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_TIMER && (at.push_back(Now()), at.size() == 3))
            ws.PostQuitMessage(0);
        return std::nullopt;
    };
    ws.SetTimer(frame, 1, 100);
    hh.ProcessFor(pid).Sleep(350);  // busy through three periods
    RunLoop();
    EXPECT_THAT(at, ElementsAre(350u, 400u, 500u));
}

TEST_F(WindowWorldTest, PostedMessagesComeFirstInOrderAndSentOnesRunAtOnce) {
    ws.SetTimer(frame, 1, 10);
    ws.PostMessageW(frame, WM_USER + 1, 0, 0);
    ws.PostMessageW(frame, WM_USER + 2, 0, 0);
    EXPECT_EQ(ws.SendMessageW(frame, WM_USER + 3, 0, 0), 0);
    EXPECT_THAT(main.Messages(), ElementsAre(WM_USER + 3));  // posted ones wait
    ws.PostQuitMessage(0);
    EXPECT_THAT(RunLoop(), ElementsAre(WM_USER + 1, WM_USER + 2));
    EXPECT_EQ(Now(), 0u);  // the quit came before the timer was due
}

TEST_F(WindowWorldTest, AnotherProcesssPostedMessagesAreHandledWhileTheProgramWaits) {
    DWORD peer = hh.CreatePeerProcess(u"\\Windows\\peer.exe");
    IWindowSystem& pws = hh.WindowsFor(peer);
    Recorder other(pws, hh.GetClock());
    HWND w = pws.CreateWindowExW(0, u"P", u"Peer", 0, 0, 0, 1, 1, HWND{}, 0, &other);
    other.on = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_USER)
            ws.PostMessageW(frame, WM_USER + 9, 0, 0);
        return std::nullopt;
    };
    ws.PostMessageW(w, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(ws.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_EQ(msg.message, WM_USER + 9u);
    EXPECT_EQ(other.Count(WM_USER), 1);
}

TEST_F(WindowWorldTest, WaitingWithNothingLeftHalts) {
    MSG msg;
    EXPECT_THROW(ws.GetMessageW(&msg, HWND{}, 0, 0), Halted);
}

TEST_F(WindowWorldTest, TheDriverIsWokenAtItsTimeAndTheLoopGetsToLookAround) {
    ws.SetTimer(frame, 1, 1000);
    bool woke = false;
    script.At(400, [&] { woke = true; });
    MSG msg;
    ASSERT_TRUE(ws.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_TRUE(woke);
    EXPECT_EQ(msg.message, WM_NULL);
    EXPECT_EQ(Now(), 400u);
    ASSERT_TRUE(ws.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(Now(), 1000u);
}

TEST_F(WindowWorldTest, ATimerDueWithTheDriverFiresFirst) {
    ws.SetTimer(frame, 1, 500);
    int ticksWhenWoken = -1;
    main.on = [&](HWND, UINT, WPARAM, LPARAM) -> std::optional<LRESULT> { return std::nullopt; };
    script.At(500, [&] {
        ticksWhenWoken = main.Count(WM_TIMER);
        ws.PostQuitMessage(0);
    });
    RunLoop();
    EXPECT_EQ(ticksWhenWoken, 1);
}

TEST_F(WindowWorldTest, TheDriverWaitsUntilPostedMessagesAreHandled) {
    int handledBeforeWake = -1;
    script.At(0, [&] {
        handledBeforeWake = main.Count(WM_USER);
        ws.PostQuitMessage(0);
    });
    ws.PostMessageW(frame, WM_USER, 0, 0);
    ws.PostMessageW(frame, WM_USER, 0, 0);
    RunLoop();
    EXPECT_EQ(handledBeforeWake, 2);
}

// --- nested loops ------------------------------------------------------------------

TEST_F(WindowWorldTest, AMessageBoxKeepsTimersRunningAndGivesTheForegroundBack) {
    HWND app = hh.OpenAppWindow(u"Notes");
    ws.SetTimer(frame, 1, 100);
    script.At(350, [&] {
        EXPECT_EQ(hh.FrontMessageBox(), u"Hello");
        EXPECT_EQ(hh.FrontCaption(), u"Velk");  // the box is captioned Velk
        hh.DismissMessageBox();
    });
    INT result = ws.MessageBoxW(frame, u"Hello", u"Velk", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(main.Count(WM_TIMER), 3);
    EXPECT_EQ(hh.GetWorld().Foreground(), app);
    EXPECT_FALSE(hh.MessageBoxShown());
}

TEST_F(WindowWorldTest, NestedMessageBoxesCloseInnermostFirst) {
    std::vector<std::u16string> order;
    main.on = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_TIMER) {
            ws.KillTimer(frame, 1);
            ws.MessageBoxW(frame, u"inner", u"Velk", MB_OK);
            order.push_back(u"inner closed");
        }
        return std::nullopt;
    };
    ws.SetTimer(frame, 1, 100);
    script.At(200, [&] {
        order.push_back(hh.FrontMessageBox());
        hh.DismissMessageBox();
    });
    script.At(300, [&] {
        order.push_back(hh.FrontMessageBox());
        hh.DismissMessageBox();
    });
    ws.MessageBoxW(frame, u"outer", u"Velk", MB_OK);
    EXPECT_THAT(order, ElementsAre(u"inner", u"inner closed", u"outer"));
}

static const MenuItemTemplate kFile[] = {
    {u"Settings...", 32771, {}},
    {u"&About Velk...", 57664, {}},
    {nullptr, 0, {}},
    {u"E&xit", 57665, {}},
};
static const MenuItemTemplate kBar[] = {{u"&File", 0, kFile}, {u"&Help", 65535, {}}};
static const MenuTemplate kMenu{128, kBar};

TEST_F(WindowWorldTest, AChosenMenuCommandIsPostedAfterTheMenuCloses) {
    hh.SetMenuSource([](WORD id) { return id == 128 ? &kMenu : nullptr; });
    HMENU file = ws.GetSubMenu(ws.LoadMenuW(128), 0);
    ASSERT_TRUE(file);
    script.At(10, [&] {
        ASSERT_TRUE(hh.MenuOpen());
        EXPECT_THAT(hh.OpenMenu().items, ElementsAre(u"Settings...", u"&About Velk...", u"E&xit"));
        EXPECT_EQ(hh.OpenMenu().flags, 0x68u);
        hh.ChooseMenuItem(u"About Velk...");
    });
    EXPECT_TRUE(ws.TrackPopupMenuEx(file, 0x68, 240, 294, frame));
    EXPECT_EQ(main.Count(WM_COMMAND), 0);
    MSG msg;
    ASSERT_TRUE(ws.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_EQ(msg.message, WM_COMMAND);
    EXPECT_EQ(msg.wParam, 57664u);
    EXPECT_EQ(msg.lParam, 0);
}

TEST_F(WindowWorldTest, MenuChoicesThatDoNotExistAreReported) {
    EXPECT_THROW(hh.ChooseMenuItem(u"Settings..."), SimError);
    hh.SetMenuSource([](WORD id) { return id == 128 ? &kMenu : nullptr; });
    HMENU file = ws.GetSubMenu(ws.LoadMenuW(128), 0);
    script.At(10, [&] {
        EXPECT_THROW(hh.ChooseMenuItem(u"Preferences"), SimError);
        hh.ChooseMenuItem(u"Settings...");
    });
    ws.TrackPopupMenuEx(file, 0, 0, 0, frame);
}

TEST_F(WindowWorldTest, AQuitInsideAMenuLoopEndsTheMenuAndReachesTheOuterLoop) {
    hh.SetMenuSource([](WORD id) { return id == 128 ? &kMenu : nullptr; });
    HMENU file = ws.GetSubMenu(ws.LoadMenuW(128), 0);
    script.At(10, [&] { ws.PostQuitMessage(3); });
    EXPECT_TRUE(ws.TrackPopupMenuEx(file, 0, 0, 0, frame));
    EXPECT_FALSE(hh.MenuOpen());
    MSG msg;
    EXPECT_FALSE(ws.GetMessageW(&msg, HWND{}, 0, 0));
    EXPECT_EQ(msg.wParam, 3u);
}

// --- windows and the foreground ----------------------------------------------------

TEST_F(WindowWorldTest, HidingOrDestroyingTheForegroundPassesItToTheNextVisibleWindow) {
    HWND notes = hh.OpenAppWindow(u"Notes");
    HWND word = hh.OpenAppWindow(u"Word");
    EXPECT_EQ(ws.GetForegroundWindow(), word);
    ws.ShowWindow(word, SW_HIDE);
    EXPECT_EQ(ws.GetForegroundWindow(), notes);
    hh.Close(u"Notes");
    EXPECT_EQ(ws.GetForegroundWindow(), frame);
    ws.ShowWindow(frame, SW_HIDE);
    EXPECT_EQ(ws.GetForegroundWindow(), HWND{});
}

TEST_F(WindowWorldTest, SetForegroundWindowIgnoresTheLowBitAndRaisesTheTopLevelAncestor) {
    HWND child = ws.CreateWindowExW(0, u"View", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame,
                                    0xE900, nullptr);
    hh.OpenAppWindow(u"Notes");
    EXPECT_TRUE(ws.SetForegroundWindow(HWND{frame.value | 1}));
    EXPECT_EQ(ws.GetForegroundWindow(), frame);
    hh.OpenAppWindow(u"Word");
    ws.SetForegroundWindow(child);
    EXPECT_EQ(ws.GetForegroundWindow(), frame);
    EXPECT_EQ(hh.GetWorld().ZOrder().front(), frame);
}

TEST_F(WindowWorldTest, FindWindowIgnoresLetterCaseOfCaptionAndClass) {
    HWND ie = hh.OpenAppWindow(u"Internet Explorer");
    EXPECT_EQ(ws.FindWindowW(nullptr, u"internet EXPLORER"), ie);
    EXPECT_EQ(ws.FindWindowW(u"application", u"Internet explorer"), ie);
    EXPECT_EQ(ws.FindWindowW(u"Frame", u"Internet explorer"), HWND{});
    EXPECT_EQ(ws.FindWindowW(nullptr, u"Internet"), HWND{});
    // Every cased script of the BMP, not only Latin, Greek and Cyrillic.
    HWND cherokee = hh.OpenAppWindow(u"ᏣᎳᎩ Ⴀ ǅ ẞ");
    EXPECT_EQ(ws.FindWindowW(nullptr, u"ꮳꮃꭹ ⴀ ǆ ß"), cherokee);
    ws.ShowWindow(frame, SW_HIDE);
    EXPECT_EQ(ws.FindWindowW(nullptr, u"VELK"), frame);  // hidden windows count
}

TEST_F(WindowWorldTest, EnumWindowsGoesFrontToBackAndStopsWhenAsked) {
    HWND a = hh.OpenAppWindow(u"A");
    HWND b = hh.OpenAppWindow(u"B");
    std::vector<HWND> seen;
    ws.EnumWindows([&](HWND h) {
        seen.push_back(h);
        return TRUE;
    });
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[0], b);
    EXPECT_EQ(seen[1], a);
    seen.clear();
    ws.EnumWindows([&](HWND h) {
        seen.push_back(h);
        return FALSE;
    });
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(WindowWorldTest, DestroyingAWindowTellsItsChildrenAndDropsItsTimersAndHotKeys) {
    Recorder view(ws, hh.GetClock());
    std::vector<std::string> order;
    main.on = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_DESTROY)
            order.push_back("frame destroy");
        if (m == WM_NCDESTROY)
            order.push_back("frame ncdestroy");
        return std::nullopt;
    };
    view.on = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_DESTROY)
            order.push_back("view destroy");
        if (m == WM_NCDESTROY)
            order.push_back("view ncdestroy");
        return std::nullopt;
    };
    HWND child = ws.CreateWindowExW(0, u"View", u"", WS_CHILD, 0, 0, 10, 10, frame, 0xE900, &view);
    ws.SetTimer(frame, 1, 100);
    hh.ProcessFor(pid).CallUnregisterFunc1(
        hh.ProcessFor(pid).GetProcAddressW(hh.ProcessFor(pid).LoadLibraryW(u"coredll.dll"),
                                           u"UnregisterFunc1"),
        MOD_WIN, 0xC1);
    ASSERT_TRUE(ws.RegisterHotKey(frame, 0xC1, 0x1008, 0xC1));
    EXPECT_TRUE(ws.DestroyWindow(frame));
    EXPECT_THAT(order,
                ElementsAre("frame destroy", "view destroy", "view ncdestroy", "frame ncdestroy"));
    EXPECT_FALSE(ws.IsWindow(frame));
    EXPECT_FALSE(ws.IsWindow(child));
    EXPECT_TRUE(hh.GetWorld().Timers().empty());
    EXPECT_TRUE(hh.GetWorld().HotKeys().empty());
    EXPECT_EQ(ws.GetForegroundWindow(), HWND{});
}

TEST_F(WindowWorldTest, CreationRefusedByWmCreateYieldsNoWindow) {
    Recorder refusing(ws, hh.GetClock());
    refusing.on = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_CREATE)
            return -1;
        return std::nullopt;
    };
    HWND h = ws.CreateWindowExW(0, u"X", u"Refused", WS_VISIBLE, 0, 0, 1, 1, HWND{}, 0, &refusing);
    EXPECT_EQ(h, HWND{});
    EXPECT_THAT(refusing.Messages(), ElementsAre(WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY));
    EXPECT_EQ(ws.FindWindowW(nullptr, u"Refused"), HWND{});
    EXPECT_EQ(ws.GetForegroundWindow(), frame);
}

TEST_F(WindowWorldTest, DefaultProcessingOfCloseDestroysAPlainWindow) {
    ws.SendMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(ws.IsWindow(frame));
}

// --- dialogs and controls ----------------------------------------------------------

constexpr DWORD kVis = WS_CHILD | WS_VISIBLE;
const DialogItemTemplate kFoundItems[] = {
    {kClassStatic, u"Window Caption:", kNoId, 2, 1, 60, 8, kVis | WS_GROUP},
    {kClassEdit, nullptr, 1006, 2, 10, 134, 14, kVis | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
    {kClassButton, u"Active", 1007, 55, 26, 35, 12, kVis | BS_AUTORADIOBUTTON | WS_GROUP},
    {kClassButton, u"Running", 1010, 93, 26, 39, 12, kVis | BS_AUTORADIOBUTTON},
    {kClassButton, u"Active", 1008, 55, 39, 35, 11, kVis | BS_AUTORADIOBUTTON},
    {kClassButton, u"Continue find mode", 1009, 42, 50, 81, 12,
     kVis | BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP},
    {kClassButton, u"Add To", IDOK, 2, 30, 31, 14, kVis | BS_DEFPUSHBUTTON},
    {kClassButton, u"Cancel", IDCANCEL, 2, 47, 31, 14, kVis | BS_PUSHBUTTON},
    {kClassComboBox, nullptr, 1002, 42, 123, 43, 65, kVis | CBS_DROPDOWNLIST | WS_VSCROLL},
    {kClassButton, u"Test", 1015, 1, 173, 50, 14, WS_CHILD | BS_PUSHBUTTON},
    {kClassSipPref, nullptr, kNoId, -10, -10, 5, 5, WS_CHILD},
};
const DialogTemplate kFound{
    138, u"Window Found", WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_CENTER, 0, 139, 64, u"Tahoma",
    7,   kFoundItems};

class DialogTest : public WindowWorldTest {
  protected:
    DialogTest() : dlg(ws, hh.GetClock()) {
        dialog = ws.CreateDialogIndirectW(kFound, HWND{}, &dlg);
    }
    Recorder dlg;
    HWND dialog;
};

TEST_F(DialogTest, ADialogIsBuiltFromItsTemplateAndInitialisedBeforeItShows) {
    ASSERT_TRUE(dialog);
    ASSERT_FALSE(dlg.seen.empty());
    EXPECT_EQ(dlg.seen.front().message, WM_INITDIALOG);
    EXPECT_EQ(ws.GetForegroundWindow(), dialog);
    EXPECT_EQ(hh.FrontDialog(), dialog);
    EXPECT_EQ(ws.FindWindowW(u"#32770", u"window found"), dialog);
    RECT r;
    ws.GetWindowRect(dialog, &r);
    EXPECT_EQ(r.right - r.left, 139 * 3 / 2);
    EXPECT_EQ(r.bottom - r.top, 64 * 3 / 2);
    HWND edit = ws.GetDlgItem(dialog, 1006);
    EXPECT_EQ(ws.GetDlgCtrlID(edit), 1006);
    EXPECT_FALSE(ws.IsWindowVisible(ws.GetDlgItem(dialog, 1015)));
    EXPECT_EQ(ws.GetParent(edit), dialog);
}

TEST_F(DialogTest, AutoRadioButtonsClearTheRestOfTheirGroupOnly) {
    hh.Check(1009, 1);
    hh.Check(1007, 1);
    hh.Settle();
    EXPECT_EQ(hh.ControlChecked(1007), 1);
    hh.Click(1008);
    hh.Settle();
    EXPECT_EQ(hh.ControlChecked(1007), 0);
    EXPECT_EQ(hh.ControlChecked(1010), 0);
    EXPECT_EQ(hh.ControlChecked(1008), 1);
    EXPECT_EQ(hh.ControlChecked(1009), 1);  // another group
    // The program's BM_SETCHECK does not touch the group.
    ws.SendMessageW(ws.GetDlgItem(dialog, 1010), BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(hh.ControlChecked(1008), 1);
    EXPECT_THROW(hh.Check(1008, 0), SimError);
}

TEST_F(DialogTest, AClickTogglesTheCheckBoxThenNotifiesTheDialog) {
    int stateSeen = -1;
    dlg.on = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
        if (m == WM_COMMAND && LOWORD(w) == 1009 && HIWORD(w) == BN_CLICKED)
            stateSeen =
                static_cast<int>(ws.SendMessageW(ws.GetDlgItem(dialog, 1009), BM_GETCHECK, 0, 0));
        return std::nullopt;
    };
    hh.Click(1009);
    EXPECT_EQ(stateSeen, -1);  // a tap is input: handled by the loop
    hh.Settle();
    EXPECT_EQ(stateSeen, 1);
}

TEST_F(DialogTest, ComboSelectionFollowsTheListRules) {
    HWND combo = ws.GetDlgItem(dialog, 1002);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(ws.SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Leave")), 0);
    EXPECT_EQ(ws.SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Turn On")), 1);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ws.SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(ws.SendMessageW(combo, CB_SETCURSEL, 3, 0), CB_ERR);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(ws.SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETLBTEXTLEN, 1, 0), 7);
    char16_t buf[16];
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(buf)), 7);
    EXPECT_EQ(std::u16string(buf), u"Turn On");
    hh.Select(1002, 0);
    EXPECT_EQ(hh.ControlSelected(1002), 0);
    EXPECT_THROW(hh.Select(1002, 2), SimError);
    ws.SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(ws.SendMessageW(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(hh.ControlSelected(1002), -1);
}

TEST_F(DialogTest, TheUserReachesOnlyVisibleControlsThatExist) {
    hh.TypeText(1006, u"Notes");
    EXPECT_EQ(hh.ControlText(1006), u"Notes");
    char16_t buf[4];
    EXPECT_EQ(ws.GetWindowTextW(ws.GetDlgItem(dialog, 1006), buf, 4), 3);
    EXPECT_EQ(std::u16string(buf), u"Not");
    EXPECT_THROW(hh.Click(1015), SimError);  // hidden
    EXPECT_THROW(hh.Click(4242), SimError);
    EXPECT_THROW(hh.TypeText(1009, u"x"), SimError);
    ws.ShowWindow(dialog, SW_HIDE);
    EXPECT_THROW(hh.FrontDialog(), SimError);
    EXPECT_EQ(hh.ControlText(hh.FindDialog(u"Window Found"), 1006), u"Notes");
}

TEST_F(DialogTest, CloseOnADialogBecomesItsCancelCommand) {
    ws.SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(ws.IsWindow(dialog));
    hh.Settle();
    ASSERT_EQ(dlg.seen.back().message, WM_COMMAND);
    EXPECT_EQ(LOWORD(dlg.seen.back().wParam), IDCANCEL);
}

// --- hot keys and keys -------------------------------------------------------------

class HotKeyTest : public WindowWorldTest {
  protected:
    void TakeButtonFromShell() {
        IProcess& p = hh.ProcessFor(pid);
        p.CallUnregisterFunc1(p.GetProcAddressW(p.LoadLibraryW(u"coredll.dll"), u"UnregisterFunc1"),
                              MOD_WIN, 0xC1);
    }
};

TEST_F(HotKeyTest, TheShellHoldsApplicationButton1UntilUnregisterFunc1) {
    EXPECT_TRUE(hh.ShellHoldsAppButton1());
    EXPECT_FALSE(ws.RegisterHotKey(frame, 0xC1, 0x1008, 0xC1));
    TakeButtonFromShell();
    EXPECT_FALSE(hh.ShellHoldsAppButton1());
    EXPECT_THAT(hh.UnregisterFunc1Calls(), ElementsAre(std::pair<UINT, UINT>{8, 0xC1}));
    EXPECT_TRUE(ws.RegisterHotKey(frame, 0xC1, 0x1008, 0xC1));
}

TEST_F(HotKeyTest, AKeyUpHotKeyFiresOnceOnRelease) {
    TakeButtonFromShell();
    ws.RegisterHotKey(frame, 0xC1, 0x1008, 0xC1);
    hh.ButtonDown(0xC1);
    hh.Settle();
    EXPECT_EQ(main.Count(WM_HOTKEY), 0);
    hh.ButtonUp(0xC1);
    hh.Settle();
    ASSERT_EQ(main.Count(WM_HOTKEY), 1);
    hh.PressButton(0xC1);
    hh.Settle();
    ASSERT_EQ(main.Count(WM_HOTKEY), 2);
    EXPECT_EQ(main.seen.back().wParam, 0xC1u);
    EXPECT_EQ(HIWORD(static_cast<std::uintptr_t>(main.seen.back().lParam)), 0xC1);
}

TEST_F(HotKeyTest, AKeyTakenByAnotherWindowCannotBeRegisteredAgain) {
    TakeButtonFromShell();
    HWND other = hh.OpenAppWindow(u"Other");
    ASSERT_TRUE(ws.RegisterHotKey(frame, 1, 0x1008, 0xC1));
    EXPECT_FALSE(ws.RegisterHotKey(other, 1, 0x1008, 0xC1));
    EXPECT_EQ(hh.ProcessFor(pid).GetLastError(), ERROR_HOTKEY_ALREADY_REGISTERED);
    EXPECT_TRUE(ws.RegisterHotKey(frame, 1, 0x1008, 0xC1));  // the same one again
    EXPECT_TRUE(ws.UnregisterHotKey(frame, 1));
    EXPECT_FALSE(ws.UnregisterHotKey(frame, 1));
    EXPECT_TRUE(ws.RegisterHotKey(other, 1, 0x1008, 0xC1));
}

TEST_F(HotKeyTest, WithoutAHotKeyThePressGoesToTheShell) {
    hh.PressButton(0xC1);
    EXPECT_EQ(hh.GetWorld().ShellButtonPresses(0xC1), 1);
}

TEST_F(HotKeyTest, AHeldKeyIsDownUntilItsTime) {
    hh.HoldKeyUntil(VK_UP, 500);
    hh.ProcessFor(pid).Sleep(500);
    EXPECT_EQ(static_cast<std::uint16_t>(ws.GetAsyncKeyState(VK_UP)), 0x8000);
    hh.ProcessFor(pid).Sleep(1);
    EXPECT_EQ(ws.GetAsyncKeyState(VK_UP), 0);
}

// --- process services and the trace ------------------------------------------------

TEST_F(WindowWorldTest, ASecondMutexOfTheSameNameReportsThatItExisted) {
    IProcess& first = hh.ProcessFor(pid);
    EXPECT_TRUE(first.CreateMutexW(FALSE, u"/Windows/Velk.exe"));
    EXPECT_EQ(first.GetLastError(), 0u);
    DWORD second = hh.CreateProcess(u"\\Windows\\Velk.exe");
    IProcess& p2 = hh.ProcessFor(second);
    EXPECT_TRUE(p2.CreateMutexW(FALSE, u"/Windows/Velk.exe"));
    EXPECT_EQ(p2.GetLastError(), 183u);
    EXPECT_TRUE(p2.CreateMutexW(FALSE, u"/windows/velk.exe"));  // names compare exactly
    EXPECT_EQ(p2.GetLastError(), 0u);
    hh.ExitProcess(pid, 0);
    hh.ExitProcess(second, 0xFFFFFFFF);
    EXPECT_FALSE(hh.GetWorld().MutexExists(u"/Windows/Velk.exe"));
    EXPECT_EQ(hh.ExitCode(second), 0xFFFFFFFFu);
}

TEST_F(WindowWorldTest, TheProgramsCallsAreTracedAndItsPeersAreNot) {
    hh.GetTrace().Clear();
    hh.OpenAppWindow(u"Bluetooth Console");
    ws.FindWindowW(nullptr, u"bluetooth console");
    ws.SetTimer(frame, 1, 1500);
    MSG msg;
    ws.PostMessageW(frame, WM_USER + 2, 1, WM_LBUTTONDOWN);
    ws.GetMessageW(&msg, HWND{}, 0, 0);
    const auto& e = hh.GetTrace().Entries();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].name, "FindWindowW");
    EXPECT_THAT(e[0].args, ::testing::HasSubstr("\"Bluetooth Console\""));
    EXPECT_EQ(e[1].name, "SetTimer");
    EXPECT_EQ(e[2].name, "PostMessageW");
    EXPECT_EQ(e[3].name, "Message");
    EXPECT_THAT(e[3].args, ::testing::HasSubstr("WM_USER+2"));
}

TEST_F(WindowWorldTest, LibraryLookupCanBeMadeToFail) {
    IProcess& p = hh.ProcessFor(pid);
    HMODULE core = p.LoadLibraryW(u"coredll.dll");
    ASSERT_TRUE(core);
    EXPECT_FALSE(p.GetProcAddressW(core, u"unregisterfunc1"));
    hh.SetUnregisterFunc1Present(false);
    EXPECT_FALSE(p.GetProcAddressW(core, u"UnregisterFunc1"));
    hh.SetCoredllPresent(false);
    EXPECT_FALSE(p.LoadLibraryW(u"coredll.dll"));
    EXPECT_EQ(p.GetLastError(), ERROR_MOD_NOT_FOUND);
}

}  // namespace
}  // namespace velk::sim

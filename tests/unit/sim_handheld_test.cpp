// The assembled simulated handheld: processes and their views, the shell's icons and
// menu bar, the Widcomm console as a peer, and the control API a scenario uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/handheld.h"

namespace velk::sim {
namespace {

using ::testing::ElementsAre;

class Plain : public IWindowHandler {
  public:
    explicit Plain(IWindowSystem& ws) : ws_(ws) {}
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        got.push_back({message, wParam, lParam});
        return ws_.DefWindowProcW(hwnd, message, wParam, lParam);
    }
    struct Got {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Got> got;

  private:
    IWindowSystem& ws_;
};

class HandheldTest : public ::testing::Test {
  protected:
    HandheldTest()
        : pid(hh.CreateProcess(u"\\Windows\\Velk.exe")),
          platform(hh.PlatformFor(pid)),
          frame(platform.windows) {
        hwnd = platform.windows.CreateWindowExW(0, u"Frame", u"Velk", WS_VISIBLE, 0, 0, 240, 320,
                                                HWND{}, 0, &frame);
        frame.got.clear();
    }

    NOTIFYICONDATA Icon(UINT id = 1) {
        NOTIFYICONDATA d;
        d.cbSize = 152;
        d.hWnd = hwnd;
        d.uID = id;
        d.uFlags = NIF_MESSAGE | NIF_ICON;
        d.uCallbackMessage = WM_USER + 2;
        d.hIcon = platform.windows.LoadIconW(137);
        return d;
    }

    SimHandheld hh;
    DWORD pid;
    Platform platform;
    Plain frame;
    HWND hwnd;
};

TEST_F(HandheldTest, NotificationIconsKeepTheirRecordsAndRefuseDuplicates) {
    EXPECT_TRUE(platform.shell.Shell_NotifyIcon(NIM_ADD, Icon()));
    EXPECT_FALSE(platform.shell.Shell_NotifyIcon(NIM_ADD, Icon()));
    ASSERT_EQ(hh.Icons().size(), 1u);
    const NOTIFYICONDATA& r = hh.Icons().front().data;
    EXPECT_EQ(r.cbSize, 152u);
    EXPECT_EQ(r.hWnd, hwnd);
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, 3u);
    EXPECT_EQ(r.uCallbackMessage, 1026u);
    EXPECT_EQ(hh.IconResource(r.hIcon), 137);
    EXPECT_FALSE(platform.shell.Shell_NotifyIcon(NIM_DELETE, Icon(2)));
    EXPECT_TRUE(platform.shell.Shell_NotifyIcon(NIM_DELETE, Icon()));
    EXPECT_TRUE(hh.Icons().empty());
    EXPECT_FALSE(platform.shell.Shell_NotifyIcon(NIM_DELETE, Icon()));
}

TEST_F(HandheldTest, ATapOnTheIconPostsButtonDownThenUp) {
    EXPECT_THROW(hh.TapIcon(), SimError);  // no icon yet
    platform.shell.Shell_NotifyIcon(NIM_ADD, Icon());
    hh.TapIcon();
    EXPECT_TRUE(frame.got.empty());  // posted, not sent
    hh.Settle();
    ASSERT_EQ(frame.got.size(), 2u);
    EXPECT_EQ(frame.got[0].message, 1026u);
    EXPECT_EQ(frame.got[0].wParam, 1u);
    EXPECT_EQ(frame.got[0].lParam, WM_LBUTTONDOWN);
    EXPECT_EQ(frame.got[1].lParam, WM_LBUTTONUP);
}

TEST_F(HandheldTest, TheMenuBarLiesAlongTheBottomAndBoundsTheWorkArea) {
    SHMENUBARINFO info;
    info.hwndParent = hwnd;
    info.nToolBarId = 28700;
    ASSERT_TRUE(platform.shell.SHCreateMenuBar(&info));
    RECT bar;
    platform.windows.GetWindowRect(info.hwndMB, &bar);
    EXPECT_EQ(bar, (RECT{0, 294, 240, 320}));
    EXPECT_EQ(platform.shell.GetWorkArea(), (RECT{0, 26, 240, 294}));
    EXPECT_EQ(platform.windows.GetForegroundWindow(), hwnd);  // the bar takes no activation
    DWORD owner = 0;
    platform.windows.GetWindowThreadProcessId(info.hwndMB, &owner);
    EXPECT_EQ(owner, pid);
    platform.windows.DestroyWindow(hwnd);  // owned windows go with their owner
    EXPECT_FALSE(platform.windows.IsWindow(info.hwndMB));
}

TEST_F(HandheldTest, TheMenuBarCanBePlacedForScreenTests) {
    hh.SetMenuBarTop(321);
    SHMENUBARINFO info;
    info.hwndParent = hwnd;
    platform.shell.SHCreateMenuBar(&info);
    RECT bar;
    platform.windows.GetWindowRect(info.hwndMB, &bar);
    EXPECT_EQ(bar.top, 321);

    SimHandheld vga;
    vga.SetScreen(480, 640);
    DWORD p = vga.CreateProcess(u"\\Windows\\Velk.exe");
    HWND f = vga.WindowsFor(p).CreateWindowExW(0, u"F", u"Velk", 0, 0, 0, 1, 1, HWND{}, 0, nullptr);
    SHMENUBARINFO vgaInfo;
    vgaInfo.hwndParent = f;
    vga.ShellFor(p).SHCreateMenuBar(&vgaInfo);
    vga.WindowsFor(p).GetWindowRect(vgaInfo.hwndMB, &bar);
    EXPECT_EQ(bar, (RECT{0, 614, 480, 640}));
}

TEST_F(HandheldTest, WithoutThePocketPcShellItsLibraryAnswersFalse) {
    hh.SetShellLibraryPresent(false);
    SHMENUBARINFO info;
    info.hwndParent = hwnd;
    EXPECT_FALSE(platform.shell.SHCreateMenuBar(&info));
    EXPECT_FALSE(info.hwndMB);
    EXPECT_FALSE(platform.shell.SHInitExtraControls());
}

const DialogItemTemplate kItems[] = {
    {kClassButton, u"OK", IDOK, 27, 175, 50, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON},
    {kClassSipPref, nullptr, kNoId, -10, -10, 5, 5, WS_CHILD},
};
const DialogTemplate kSettings{130,
                               u"Velk Settings",
                               WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                               0,
                               159,
                               189,
                               u"Tahoma",
                               7,
                               kItems};

TEST_F(HandheldTest, AFullScreenDialogIsSizedToTheWorkAreaAndGetsTheDoneButton) {
    Plain dlg(platform.windows);
    HWND d = platform.windows.CreateDialogIndirectW(kSettings, HWND{}, &dlg);
    SHINITDLGINFO info;
    info.dwMask = SHIDIM_FLAGS;
    info.hDlg = d;
    info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
    ASSERT_TRUE(platform.shell.SHInitDialog(info));
    RECT r;
    platform.windows.GetWindowRect(d, &r);
    EXPECT_EQ(r, platform.shell.GetWorkArea());
    RECT ok;
    platform.windows.GetWindowRect(platform.windows.GetDlgItem(d, IDOK), &ok);
    EXPECT_EQ(ok.left, 27 * 3 / 2);  // the controls moved with the dialog
    EXPECT_TRUE(hh.ControlVisible(d, IDOK));
    EXPECT_FALSE(hh.ControlVisible(d, kNoId));  // the input-panel control, hidden
    hh.PressDone();
    hh.Settle();
    ASSERT_FALSE(dlg.got.empty());
    EXPECT_EQ(dlg.got.back().message, WM_COMMAND);
    EXPECT_EQ(LOWORD(dlg.got.back().wParam), IDOK);
}

TEST_F(HandheldTest, ApplicationsComeAndGoAsTheUserDoes) {
    hh.OpenAppWindow(u"Notes");
    EXPECT_EQ(hh.FrontCaption(), u"Notes");
    hh.OpenAppWindow(u"Calendar");
    hh.Front(u"notes");
    EXPECT_EQ(hh.FrontCaption(), u"Notes");
    hh.Retitle(u"Notes", u"Notes - todo");
    EXPECT_EQ(hh.FrontCaption(), u"Notes - todo");
    DWORD notesPid = 0;
    platform.windows.GetWindowThreadProcessId(hh.FrontWindow(), &notesPid);
    hh.Close(u"Notes - todo");
    EXPECT_EQ(hh.FrontCaption(), u"Calendar");
    EXPECT_FALSE(hh.Running(notesPid));
    hh.NoFront();
    EXPECT_EQ(hh.FrontCaption(), u"");
    EXPECT_THROW(hh.Front(u"Notes"), SimError);
    EXPECT_THROW(hh.Close(u"Notes"), SimError);
    platform.windows.ShowWindow(hwnd, SW_HIDE);
    EXPECT_THROW(hh.Front(u"Velk"), SimError);  // hidden: out of the user's reach
}

TEST_F(HandheldTest, ASecondCopyFindsTheFirstThroughItsWindowsAndModulePath) {
    hh.OpenAppWindow(u"Notes");
    DWORD second = hh.CreateProcess(u"\\Windows\\Velk.exe");
    Platform p2 = hh.PlatformFor(second);
    char16_t path[260];
    DWORD n = p2.process.GetModuleFileNameW(HMODULE{}, path, 260);
    EXPECT_EQ(std::u16string(path, n), u"\\Windows\\Velk.exe");
    HWND found;
    p2.windows.EnumWindows([&](HWND h) {
        DWORD owner = 0;
        p2.windows.GetWindowThreadProcessId(h, &owner);
        if (owner != second && p2.process.GetProcessFileName(owner, 260) == path) {
            found = h;
            return FALSE;
        }
        return TRUE;
    });
    EXPECT_EQ(found, hwnd);
}

TEST_F(HandheldTest, AnEndedProcessLeavesNoWindowsIconsTimersOrPath) {
    platform.shell.Shell_NotifyIcon(NIM_ADD, Icon());
    platform.windows.SetTimer(hwnd, 1, 1500);
    platform.process.CreateMutexW(FALSE, u"/Windows/Velk.exe");
    frame.got.clear();
    hh.ExitProcess(pid, 0);
    EXPECT_TRUE(frame.got.empty());  // the process's code is gone; nothing is called
    EXPECT_EQ(hh.ExitCode(pid), 0u);
    EXPECT_FALSE(hh.WindowExists(u"Velk"));
    EXPECT_TRUE(hh.Icons().empty());
    EXPECT_TRUE(hh.GetWorld().Timers().empty());
    EXPECT_FALSE(hh.GetWorld().MutexExists(u"/Windows/Velk.exe"));
    DWORD other = hh.CreateProcess(u"\\Windows\\Velk.exe");
    EXPECT_EQ(hh.ProcessFor(other).GetProcessFileName(pid, 260), u"");
}

TEST_F(HandheldTest, TheWidcommConsoleIsAPeerTheProgramReachesByCaption) {
    ASSERT_TRUE(hh.Widcomm().Start());
    HWND console = platform.windows.FindWindowW(nullptr, u"bluetooth console");
    ASSERT_TRUE(console);
    DWORD owner = 0;
    platform.windows.GetWindowThreadProcessId(console, &owner);
    EXPECT_EQ(owner, hh.WidcommPid());
    platform.windows.SendMessageW(console, WM_COMMAND, 4098, 0);
    EXPECT_TRUE(hh.Widcomm().IsOn());
    hh.Widcomm().Stop();
    EXPECT_FALSE(platform.windows.FindWindowW(nullptr, u"Bluetooth Console"));
}

TEST_F(HandheldTest, ProcessesShareTheRegistryAndRadios) {
    DWORD other = hh.CreateProcess(u"\\Windows\\Other.exe");
    EXPECT_EQ(&hh.PlatformFor(other).registry, &platform.registry);
    // One radio: switched by one process, seen so by the other.
    DWORD mode = 9;
    EXPECT_EQ(hh.PlatformFor(other).bluetooth.BthSetMode(2), 0);
    EXPECT_EQ(platform.bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 2u);
    EXPECT_NE(&hh.PlatformFor(other).windows, &platform.windows);
    EXPECT_THROW(hh.PlatformFor(0xDEAD), SimError);
}

TEST_F(HandheldTest, RunForPumpsTimersWithoutAProgramLoop) {
    platform.windows.SetTimer(hwnd, 1, 400);
    hh.RunFor(1000);
    EXPECT_EQ(hh.GetClock().Now(), 1000u);
    int ticks = 0;
    for (const auto& g : frame.got)
        ticks += g.message == WM_TIMER;
    EXPECT_EQ(ticks, 2);
}

TEST_F(HandheldTest, ThreadPriorityIsKeptPerProcess) {
    EXPECT_EQ(platform.process.GetThreadPriority(), 3);
    EXPECT_TRUE(platform.process.SetThreadPriority(THREAD_PRIORITY_IDLE_CE));
    EXPECT_EQ(platform.process.GetThreadPriority(), 7);
    DWORD other = hh.CreateProcess(u"\\Windows\\Other.exe");
    EXPECT_EQ(hh.ProcessFor(other).GetThreadPriority(), 3);
}

}  // namespace
}  // namespace velk::sim

// Velk.exe itself under Wine: started as a user would, with the peers around it.
#include <gtest/gtest.h>

#include "mainframe/main_frame.h"

#include "harness.h"
#include "resource_ids.h"

namespace velk::wintest {
namespace {

class VelkExe : public ProgramTest {
  protected:
    // Starts the program with a command line and waits for its (hidden) frame window.
    ::HWND Start(ChildProcess& velk, const std::vector<std::wstring>& args = {}) {
        if (!velk.Start(ProgramPath(), args))
            return nullptr;
        return WaitForProcessWindow(velk.Id(), L"Velk");
    }
};

TEST_F(VelkExe, StartsHiddenAndLeavesItsSettingsKeyPath) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    // The frame is created visible and hidden right after, with everything else. The
    // program answers a sent message only from its message loop, after its start-up.
    ::DWORD_PTR result = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(frame); }, 5000));
    EXPECT_TRUE(WaitUntil(
        [&] { return reg::KeyExists(reg::Root::CurrentUser, L"software\\Velk\\Velk\\Settings"); },
        5000));
    EXPECT_TRUE(velk.Running());
    ::Sleep(300);
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM pid) -> ::BOOL {
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == static_cast<::DWORD>(pid)) {
                wchar_t cls[64] = {};
                ::GetClassNameW(hwnd, cls, 64);
                EXPECT_FALSE(::IsWindowVisible(hwnd))
                    << "a window of the program shows, of class " << ::testing::PrintToString(cls);
            }
            return TRUE;
        },
        static_cast<::LPARAM>(velk.Id()));
}

TEST_F(VelkExe, ASecondCopyHandsOverAndEndsWithMinusOne) {
    ChildProcess first, second;
    ASSERT_TRUE(Start(first));
    ASSERT_TRUE(second.Start(ProgramPath(), {}));
    DWORD code = 0;
    ASSERT_TRUE(second.WaitForExit(8000, &code));
    EXPECT_EQ(code, 0xFFFFFFFFu);
    EXPECT_TRUE(first.Running());
}

TEST_F(VelkExe, RunningBrowserTurnsBluetoothOnAtTheNextTick) {
    TempFile log(L"velk-console");
    ChildProcess console, browser, velk;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    ASSERT_TRUE(StartWindowPeer(browser, L"Internet explorer"));
    ASSERT_TRUE(Start(velk, {L"200"}));
    EXPECT_TRUE(WaitUntil([&] { return !log.Lines().empty(); }, 5000));
    ::Sleep(1000);  // five more ticks: the radio is on now, nothing more is sent
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
}

TEST_F(VelkExe, ExitCommandEndsTheProgram) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    ::PostMessageW(frame, WM_COMMAND, ID_APP_EXIT, 0);  // "E&xit"
    DWORD code = 1;
    EXPECT_TRUE(velk.WaitForExit(5000, &code));
    EXPECT_EQ(code, 0u);
}

// The visible pop-up menu window of process pid, or null.
::HWND OpenMenuOf(DWORD pid) {
    struct Search {
        ::DWORD pid;
        ::HWND found;
    } search{pid, nullptr};
    ::EnumWindows(
        [](::HWND hwnd, ::LPARAM lParam) -> ::BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            wchar_t cls[16] = {};
            ::GetClassNameW(hwnd, cls, 16);
            ::DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && std::wstring(cls) == L"#32768" && ::IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<::LPARAM>(&search));
    return search.found;
}

TEST_F(VelkExe, ATapOnTheIconOpensTheFileMenuWhoseExitEndsTheProgram) {
    ChildProcess velk;
    const ::HWND frame = Start(velk);
    ASSERT_TRUE(frame);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(frame); }, 5000));

    ::PostMessageW(frame, kIconNotifyMessage, 1, WM_LBUTTONUP);  // not a tap
    ::Sleep(300);
    EXPECT_FALSE(OpenMenuOf(velk.Id()));

    ::PostMessageW(frame, kIconNotifyMessage, 1, WM_LBUTTONDOWN);
    ::HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = OpenMenuOf(velk.Id())) != nullptr; }, 5000));
    // The menu's loop takes the program's keyboard input: "x" chooses "E&xit".
    ::PostMessageW(frame, WM_KEYDOWN, 'X', 0);
    ::PostMessageW(frame, WM_CHAR, 'x', 0);
    DWORD code = 1;
    EXPECT_TRUE(velk.WaitForExit(8000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace velk::wintest

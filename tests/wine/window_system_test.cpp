// Windows, dialogs, menus and the shell through the win32 backend: every message of a
// window the program creates reaches its handler, dialogs are built from the res/
// templates, and what the desktop lacks is left out quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "config/find_window_mode.h"
#include "platform/resources.h"
#include "platform/window_system.h"

#include "platform/win32/shell.h"
#include "platform/win32/window_system.h"

#include "harness.h"

namespace velk::wintest {
namespace {

// Records every message and leaves it to the default processing, unless told otherwise.
class Recorder : public IWindowHandler {
  public:
    explicit Recorder(IWindowSystem& windows) : windows_(windows) {}

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        if (message == WM_COMMAND)
            commands.push_back(wParam);
        if (override) {
            LRESULT result = 0;
            if (override(message, &result))
                return result;
        }
        return windows_.DefWindowProcW(hwnd, message, wParam, lParam);
    }

    bool Saw(UINT message) const {
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }

    std::vector<UINT> messages;
    std::vector<WPARAM> commands;
    std::function<bool(UINT, LRESULT*)> override;

  private:
    IWindowSystem& windows_;
};

constexpr UINT kPing = 0x0400 + 77;  // WM_USER + 77

class WindowSystemTest : public ::testing::Test {
  protected:
    HWND CreateFrame(Recorder* handler, const char16_t* caption = u"Velk test frame") {
        WNDCLASSW wc;
        wc.style = 0x000B;
        wc.hbrBackground = 0x40000006;  // the device's COLOR_WINDOW + 1
        wc.lpszClassName = u"VelkTestClass";
        EXPECT_TRUE(windows_.RegisterClassW(wc));
        return windows_.CreateWindowExW(0, u"VelkTestClass", caption, WS_OVERLAPPEDWINDOW, 0, 0,
                                        200, 100, HWND{}, 0, handler);
    }

    win32::Win32WindowSystem windows_{FindMenuTemplate};
};

TEST_F(WindowSystemTest, HandlerGetsEveryMessageFromNcCreateToNcDestroy) {
    Recorder handler(windows_);
    const HWND hwnd = CreateFrame(&handler);
    ASSERT_TRUE(hwnd);
    ASSERT_FALSE(handler.messages.empty());
    EXPECT_EQ(handler.messages.front(), static_cast<UINT>(WM_NCCREATE));
    EXPECT_TRUE(handler.Saw(WM_CREATE));
    EXPECT_EQ(windows_.LinkedWindowCount(), 1u);

    handler.override = [](UINT message, LRESULT* result) {
        if (message != kPing)
            return false;
        *result = 4242;
        return true;
    };
    EXPECT_EQ(windows_.SendMessageW(hwnd, kPing, 1, 2), 4242);

    // Default processing is the desktop's: it keeps the caption.
    EXPECT_TRUE(windows_.SetWindowTextW(hwnd, u"Renamed"));
    char16_t buf[32] = {};
    EXPECT_EQ(windows_.GetWindowTextW(hwnd, buf, 32), 7);
    EXPECT_EQ(CString(buf), u"Renamed");
    EXPECT_EQ(windows_.FindWindowW(nullptr, u"renamed"), hwnd) << "captions match in any case";

    EXPECT_TRUE(windows_.DestroyWindow(hwnd));
    EXPECT_EQ(handler.messages.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(windows_.LinkedWindowCount(), 0u);
}

TEST_F(WindowSystemTest, OneClassPerNameWithTheDeviceSystemColourBrush) {
    Recorder a(windows_), b(windows_);
    const HWND first = CreateFrame(&a, u"first");
    const HWND second = CreateFrame(&b, u"second");  // registers the same name again
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_EQ(
        reinterpret_cast<::HBRUSH>(::GetClassLongPtrW(win32::ToNative(first), GCLP_HBRBACKGROUND)),
        ::GetSysColorBrush(COLOR_WINDOW));
    EXPECT_EQ(::GetClassLongPtrW(win32::ToNative(first), GCL_STYLE), 0x000Bu);
    windows_.SendMessageW(second, kPing, 0, 0);
    EXPECT_TRUE(b.Saw(kPing));
    EXPECT_FALSE(a.Saw(kPing));
    windows_.DestroyWindow(first);
    windows_.DestroyWindow(second);
}

TEST_F(WindowSystemTest, ARefusedWindowLeavesNoRecord) {
    Recorder handler(windows_);
    handler.override = [](UINT message, LRESULT* result) {
        if (message != WM_CREATE)
            return false;
        *result = -1;
        return true;
    };
    EXPECT_FALSE(CreateFrame(&handler));
    EXPECT_EQ(windows_.LinkedWindowCount(), 0u);
}

TEST_F(WindowSystemTest, TimersAndPostedMessagesArriveThroughTheMessageLoop) {
    Recorder handler(windows_);
    const HWND hwnd = CreateFrame(&handler);
    ASSERT_TRUE(windows_.SetTimer(hwnd, 1, 10));
    ASSERT_TRUE(windows_.PostMessageW(hwnd, kPing, 0, 0));
    MSG msg;
    int timers = 0;
    while (timers < 2 && windows_.GetMessageW(&msg, HWND{}, 0, 0) > 0) {
        windows_.TranslateMessage(&msg);
        windows_.DispatchMessageW(&msg);
        if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == 1)
            ++timers;
    }
    EXPECT_TRUE(handler.Saw(WM_TIMER));
    EXPECT_TRUE(handler.Saw(kPing));
    EXPECT_TRUE(windows_.KillTimer(hwnd, 1));
    windows_.DestroyWindow(hwnd);
}

TEST_F(WindowSystemTest, TheDevicesKeyUpHotKeyIsTakenOnTheDesktop) {
    Recorder handler(windows_);
    const HWND hwnd = CreateFrame(&handler);
    EXPECT_TRUE(
        windows_.RegisterHotKey(hwnd, kAppButtonHotKeyId, kAppButtonHotKeyModifiers, VK_APP1));
    EXPECT_TRUE(windows_.UnregisterHotKey(hwnd, kAppButtonHotKeyId));
    windows_.DestroyWindow(hwnd);
}

TEST_F(WindowSystemTest, EnumWindowsCallsTheCallbackUntilItSaysStop) {
    Recorder handler(windows_);
    const HWND hwnd = CreateFrame(&handler, u"Velk enumerated");
    bool seen = false;
    int calls = 0;
    windows_.EnumWindows([&](HWND h) {
        ++calls;
        seen = seen || h == hwnd;
        return TRUE;
    });
    EXPECT_TRUE(seen);
    EXPECT_GT(calls, 1);
    int stopped = 0;
    windows_.EnumWindows([&](HWND) {
        ++stopped;
        return FALSE;
    });
    EXPECT_EQ(stopped, 1);
    windows_.DestroyWindow(hwnd);
}

// --- dialogs ------------------------------------------------------------------------

constexpr INT kEditId = 1006;
constexpr INT kSipId = 1020;
constexpr DialogItemTemplate kItems[] = {
    {kClassStatic, nullptr, kNoId, 2, 2, 20, 20, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 128},
    {kClassEdit, u"typed", kEditId, 2, 24, 100, 14, WS_CHILD | WS_VISIBLE | WS_BORDER},
    {kClassSipPref, nullptr, kSipId, 0, 0, 0, 0, WS_CHILD},
    {kClassButton, u"Add To", IDOK, 2, 40, 40, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON},
    {kClassButton, u"Cancel", IDCANCEL, 50, 40, 40, 14, WS_CHILD | WS_VISIBLE},
};
const DialogTemplate kDialog{200,
                             u"Window Found",
                             WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT,
                             WS_EX_CAPTIONOKBTN,
                             139,
                             64,
                             u"Tahoma",
                             7,
                             kItems};

TEST_F(WindowSystemTest, DialogIsBuiltFromTheTemplateWithoutWhatTheDesktopLacks) {
    Recorder handler(windows_);
    const HWND dlg = windows_.CreateDialogIndirectW(kDialog, HWND{}, &handler);
    ASSERT_TRUE(dlg);
    ASSERT_FALSE(handler.messages.empty());
    EXPECT_EQ(handler.messages.front(), static_cast<UINT>(WM_INITDIALOG));

    char16_t caption[32] = {};
    windows_.GetWindowTextW(dlg, caption, 32);
    EXPECT_EQ(CString(caption), u"Window Found");
    EXPECT_EQ(windows_.GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_CAPTIONOKBTN, 0u);
    EXPECT_FALSE(windows_.GetDlgItem(dlg, kSipId));
    const HWND edit = windows_.GetDlgItem(dlg, kEditId);
    ASSERT_TRUE(edit);
    windows_.GetWindowTextW(edit, caption, 32);
    EXPECT_EQ(CString(caption), u"typed");
    EXPECT_EQ(windows_.GetDlgCtrlID(edit), kEditId);
    EXPECT_EQ(windows_.GetParent(edit), dlg);

    RECT units{0, 0, 4, 8};
    EXPECT_TRUE(windows_.MapDialogRect(dlg, &units));
    EXPECT_GT(units.right, 0);
    EXPECT_GT(units.bottom, 0);
    windows_.DestroyWindow(dlg);
    EXPECT_EQ(windows_.LinkedWindowCount(), 0u);
}

TEST_F(WindowSystemTest, DialogMessagesReachTheHandlerFirstAndDefaultsAreTheDialogManagers) {
    Recorder handler(windows_);
    const HWND dlg = windows_.CreateDialogIndirectW(kDialog, HWND{}, &handler);
    ASSERT_TRUE(dlg);
    // Only the dialog manager knows the default button: the handler's default processing
    // went to it, not to the plain window default.
    const LRESULT defId = windows_.SendMessageW(dlg, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defId), IDOK);

    windows_.SendMessageW(windows_.GetDlgItem(dlg, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(handler.commands, (std::vector<WPARAM>{MAKEWPARAM(IDCANCEL, BN_CLICKED)}));

    // Keyboard navigation is the dialog manager's too.
    MSG msg;
    msg.hwnd = windows_.GetDlgItem(dlg, kEditId);
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_ESCAPE;
    EXPECT_TRUE(windows_.IsDialogMessageW(dlg, &msg));
    windows_.DestroyWindow(dlg);
    EXPECT_EQ(handler.messages.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(WindowSystemTest, IconsComeFromTheProgramsResourcesOncePerId) {
    const HICON icon = windows_.LoadIconW(128);
    ASSERT_TRUE(icon) << "icon 128 is linked into the tests";
    EXPECT_EQ(windows_.LoadIconW(128), icon);
    EXPECT_TRUE(windows_.LoadIconW(133));
    EXPECT_TRUE(windows_.LoadIconW(137));
    EXPECT_FALSE(windows_.LoadIconW(4711));

    Recorder handler(windows_);
    const HWND dlg = windows_.CreateDialogIndirectW(kDialog, HWND{}, &handler);
    ASSERT_TRUE(dlg);
    const HWND picture = windows_.GetWindow(dlg, 5 /* GW_CHILD */);
    EXPECT_TRUE(windows_.SendMessageW(picture, STM_GETICON, 0, 0)) << "the static shows icon 128";
    windows_.DestroyWindow(dlg);
}

// --- menus and the shell ------------------------------------------------------------

std::wstring MenuText(::HMENU menu, UINT pos) {
    wchar_t buf[64] = {};
    ::GetMenuStringW(menu, pos, buf, 64, MF_BYPOSITION);
    return buf;
}

TEST_F(WindowSystemTest, MenuIsBuiltFromItsTemplate) {
    const HMENU menu = windows_.LoadMenuW(128);
    ASSERT_TRUE(menu);
    ::HMENU bar = win32::ToNative<::HMENU>(menu);
    ASSERT_EQ(::GetMenuItemCount(bar), 2);
    EXPECT_EQ(MenuText(bar, 0), L"&File");
    EXPECT_EQ(MenuText(bar, 1), L"&Help");
    EXPECT_EQ(::GetMenuItemID(bar, 1), 65535u);

    const HMENU file = windows_.GetSubMenu(menu, 0);
    ASSERT_TRUE(file);
    ::HMENU popup = win32::ToNative<::HMENU>(file);
    ASSERT_EQ(::GetMenuItemCount(popup), 4);
    EXPECT_EQ(MenuText(popup, 0), L"Settings...");
    EXPECT_EQ(::GetMenuItemID(popup, 0), 32771u);
    EXPECT_EQ(::GetMenuItemID(popup, 1), 57664u);
    EXPECT_EQ(::GetMenuState(popup, 2, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(MenuText(popup, 3), L"E&xit");
    EXPECT_EQ(::GetMenuItemID(popup, 3), 57665u);
    EXPECT_FALSE(windows_.GetSubMenu(menu, 1));

    EXPECT_TRUE(windows_.DestroyMenu(menu));
    EXPECT_FALSE(::IsMenu(bar));
    EXPECT_FALSE(::IsMenu(popup)) << "pop-ups go with their menu";
    EXPECT_FALSE(windows_.LoadMenuW(4711));
}

TEST(Win32ShellTest, PocketPcShellFunctionsAreAbsentOnTheDesktop) {
    win32::Win32Shell shell;
    EXPECT_FALSE(shell.SHInitExtraControls());
    EXPECT_FALSE(shell.SHInitDialog(SHINITDLGINFO{}));
    EXPECT_FALSE(shell.SHHandleWMActivate(HWND{}, 0, 0));
    EXPECT_FALSE(shell.SHHandleWMSettingChange(HWND{}, 0, 0));
    SHMENUBARINFO info;
    EXPECT_FALSE(shell.SHCreateMenuBar(&info));
    EXPECT_FALSE(info.hwndMB);

    const RECT area = shell.GetWorkArea();
    EXPECT_GT(area.right - area.left, 0);
    EXPECT_GT(area.bottom - area.top, 0);
}

}  // namespace
}  // namespace velk::wintest

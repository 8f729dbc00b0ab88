// The Linux program's window system: the desktop's table joined to the model, the
// program's own windows answered as themselves, the running copy as a window of its own,
// and the desktop's keys.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/linux/desktop_model_windows.h"
#include "platform/model/real_time.h"
#include "platform/window_system.h"

namespace velk::linux {
namespace {

constexpr DWORD kOwn = 500, kOther = 600, kCopy = 700;

class Provider : public IDesktopProvider {
  public:
    std::string_view Name() const override { return "test"; }
    void Pump() override {}
    int EventFd() const override { return -1; }
    bool Activate(DesktopTable::Key key) override { return activated.push_back(key), true; }
    DWORD ProcessId(DesktopTable::Key key) const override {
        const auto it = pids.find(key);
        return it == pids.end() ? 0 : it->second;
    }
    std::map<DesktopTable::Key, DWORD> pids;
    std::vector<DesktopTable::Key> activated;
};

class Windows : public testing::Test {
  protected:
    Windows() : model(time), windows(model, kOwn, table, provider, Hooks()) {
        model.AddClient(kOwn);
        dialog = windows.CreateWindowExW(0, u"Dialog", u"Settings", WS_POPUP | WS_VISIBLE, 0, 0, 10,
                                         10, HWND{}, 0, nullptr);
    }
    DesktopModelWindows::Hooks Hooks() {
        return {[this] { return upHeld; }, [this](bool take) { captureKeyTaken = take; },
                [this]() -> std::optional<DWORD> {
                    return copyRuns ? std::optional(kCopy) : std::nullopt;
                },
                [this] { return ++copyFronted, true; }};
    }
    // A desktop window of a process (0: the desktop does not say).
    HWND Desktop(DesktopTable::Key key, const char16_t* title, DWORD pid) {
        provider.pids[key] = pid;
        return table.SetWindow(key, title);
    }
    std::vector<HWND> Listed() {
        std::vector<HWND> listed;
        windows.EnumWindows([&](HWND h) { return listed.push_back(h), 1; });
        return listed;
    }

    model::RealTimeSource time;
    model::WindowModel model;
    DesktopTable table;
    Provider provider;
    bool upHeld = false, captureKeyTaken = false, copyRuns = false;
    int copyFronted = 0;
    DesktopModelWindows windows;
    HWND dialog;
};

TEST_F(Windows, TheProgramsOwnWindowInFrontAnswersAsTheModelsWindow) {
    struct Case {
        const char16_t* title;
        DWORD pid;
        bool own;
    } cases[] = {
        {u"Notes", kOther, false},  // another program
        {u"Settings", kOwn, true},  // the view's window of the dialog
        {u"Settings", 0, true},     // a desktop without process ids: by caption
        {u"Settings", kOther, false}, {u"Notes", 0, false},
    };
    for (const Case& c : cases) {
        const HWND front = Desktop(1, c.title, c.pid);
        table.SetActive(1);
        EXPECT_EQ(windows.GetForegroundWindow(), c.own ? dialog : front)
            << (c.own ? "own " : "other ") << c.pid;
        table.RemoveWindow(1);
    }
}

TEST_F(Windows, EnumerationListsEachWindowOnceAndTheRunningCopyLast) {
    const HWND notes = Desktop(1, u"Notes", kOther);
    Desktop(2, u"Settings", kOwn);   // the view's window of the model's dialog
    Desktop(3, u"Settings", kCopy);  // the running copy's dialog
    const HWND mail = Desktop(4, u"Mail", kOther);
    table.SetActive(4);
    EXPECT_EQ(Listed(), (std::vector<HWND>{mail, dialog, notes, table.HandleOf(3)}));

    copyRuns = true;
    const std::vector<HWND> listed = Listed();
    EXPECT_EQ(listed,
              (std::vector<HWND>{mail, dialog, notes, DesktopModelWindows::kRunningCopyWindow}));
    DWORD pid = 0;
    windows.GetWindowThreadProcessId(listed.back(), &pid);
    EXPECT_EQ(pid, kCopy);
    // The single-instance check's call, with the low bit set: the copy is asked.
    EXPECT_TRUE(windows.SetForegroundWindow(HWND{listed.back().value | 1}));
    EXPECT_EQ(copyFronted, 1);
    EXPECT_TRUE(windows.SetForegroundWindow(notes));
    EXPECT_EQ(provider.activated, (std::vector<DesktopTable::Key>{1}));
}

TEST_F(Windows, TheUpKeyIsReadAndTheCaptureKeyTakenWhileRegistered) {
    EXPECT_EQ(windows.GetAsyncKeyState(VK_UP), 0);
    upHeld = true;
    EXPECT_NE(windows.GetAsyncKeyState(VK_UP) & 0x8000, 0);

    EXPECT_TRUE(windows.RegisterHotKey(dialog, 0xC1, 0x1008, 0xC1));
    EXPECT_TRUE(captureKeyTaken);
    EXPECT_TRUE(windows.UnregisterHotKey(dialog, 0xC1));
    EXPECT_FALSE(captureKeyTaken);
}

}  // namespace
}  // namespace velk::linux

// What a view hears: each user action (and the program's answers to it) as the
// notifications the model sends, in order. The program is a frame window and the
// settings dialog; the user acts when the model waits, as on any time source.
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/model/client_windows.h"
#include "platform/model/input.h"
#include "platform/strings.h"
#include "res/resource_ids.h"

namespace velk::model {
namespace {

constexpr DWORD kPid = 0x100;
constexpr UINT kIconMessage = WM_USER + 5;

// Time that stands still; each wait runs the user's next action.
class ScriptedTime : public ITimeSource {
  public:
    std::deque<std::function<void()>> actions;
    unsigned long long Now() const override { return 0; }
    WaitEnd WaitUntil(std::optional<unsigned long long>, DWORD) override {
        if (actions.empty())
            throw UsageError("nothing left to do");
        auto act = std::move(actions.front());
        actions.pop_front();
        act();
        return WaitEnd::Woken;
    }
    void Wake() override {}
};

// Names windows by what the test calls them, or a new one by its class ("box" for a
// message box).
class Log : public IModelObserver {
  public:
    explicit Log(const WindowModel& model) : model_(model) {}
    std::map<HWND, std::string> names;
    std::vector<std::string> seen;
    void Add(const char* what, HWND h) {
        const auto it = names.find(h);
        seen.push_back(std::string(what) + " " +
                       (!h                  ? "none"
                        : it == names.end() ? "other"
                                            : it->second));
    }
    void WindowCreated(HWND h) override {
        const Window* w = model_.Find(h);
        names[h] = w->isMessageBox ? "box" : ToUtf8(w->className);
        Add("created", h);
    }
    void WindowShown(HWND h) override { Add("shown", h); }
    void WindowHidden(HWND h) override { Add("hidden", h); }
    void WindowMoved(HWND h) override { Add("moved", h); }
    void WindowDestroyed(HWND h) override { Add("destroyed", h); }
    void TextChanged(HWND h) override { Add("text", h); }
    void CheckChanged(HWND h) override { Add("check", h); }
    void SelectionChanged(HWND h) override { Add("selection", h); }
    void FocusChanged(HWND, HWND to) override { Add("focus", to); }
    void FrontChanged(HWND, HWND to) override { Add("front", to); }
    void MenuOpened(const TrackedMenu&) override { seen.push_back("menu opened"); }
    void MenuClosed(const TrackedMenu&) override { seen.push_back("menu closed"); }
    void IconAdded(HWND, UINT) override { seen.push_back("icon added"); }
    void IconChanged(HWND, UINT) override { seen.push_back("icon changed"); }
    void IconRemoved(HWND, UINT) override { seen.push_back("icon removed"); }
    void MessageBoxShown(const MessageBoxRecord&) override { seen.push_back("box shown"); }
    void MessageBoxClosed(const MessageBoxRecord&) override { seen.push_back("box closed"); }

  private:
    const WindowModel& model_;
};

// The program: its icon opens the menu, a tap on Find Window! shows a message box.
class Program : public IWindowHandler {
  public:
    explicit Program(ClientWindows& w) : w_(w) {}
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kIconMessage && lParam == WM_LBUTTONUP) {
            const HMENU menu = w_.LoadMenuW(IDR_MAINFRAME);
            w_.TrackPopupMenuEx(w_.GetSubMenu(menu, 0), 0, 0, 0, hwnd);
            w_.DestroyMenu(menu);
        } else if (message == WM_COMMAND && LOWORD(wParam) == IDC_FIND_WINDOW) {
            w_.MessageBoxW(hwnd, u"Tested", u"Velk", 0);
        }
        return w_.DefWindowProcW(hwnd, message, wParam, lParam);
    }

  private:
    ClientWindows& w_;
};

// One step per wait of the model: a menu or message box opens in between.
using Step = std::function<void(UserInput&, HWND frame, HWND dialog)>;
struct Row {
    const char* action;
    std::vector<Step> steps;
    std::vector<std::string> expected;
};

TEST(ModelNotifications, EachUserActionAsAViewHearsIt) {
    const std::vector<Row> rows = {
        {"type into an edit box",
         {[](UserInput& in, HWND, HWND d) { in.TypeText(d, IDC_ON_LIST, u"Notes"); }},
         {"text on-list"}},
        {"tap a check box",
         {[](UserInput& in, HWND, HWND d) { in.Check(d, IDC_KEEP_PDA_ON, 1); }},
         {"check keep-on"}},
        {"select a list item",
         {[](UserInput& in, HWND, HWND d) { in.Select(d, IDC_DEFAULT_ACTION, 1); }},
         {"selection default"}},
        {"tap the icon and choose from its menu",
         {[](UserInput& in, HWND f, HWND) { in.TapIcon(f, 1); },
          [](UserInput& in, HWND, HWND) { in.ChooseMenuItem(u"About Velk..."); }},
         {"menu opened", "menu closed"}},
        {"tap a button that shows a message box, then dismiss it",
         {[](UserInput& in, HWND, HWND d) { in.Click(d, IDC_FIND_WINDOW); },
          [](UserInput& in, HWND, HWND) { in.DismissMessageBox(); }},
         {"created box", "box shown", "front box", "box closed", "front dialog", "hidden box",
          "destroyed box"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.action);
        ScriptedTime time;
        WindowModel model(time);
        model.AddClient(kPid);
        ClientWindows w(model, kPid);
        Program program(w);
        const HWND frame =
            w.CreateWindowExW(0, u"Frame", u"Velk", 0, 0, 0, 240, 320, HWND{}, 0, &program);
        NOTIFYICONDATA icon;
        icon.hWnd = frame;
        icon.uID = 1;
        icon.uFlags = NIF_MESSAGE;
        icon.uCallbackMessage = kIconMessage;
        model.NotifyIcon(kPid, NIM_ADD, icon);
        const HWND dialog =
            w.CreateDialogIndirectW(*FindDialogTemplate(IDD_SETTINGS), frame, &program);
        w.SendMessageW(w.GetDlgItem(dialog, IDC_DEFAULT_ACTION), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(u"On"));
        w.SendMessageW(w.GetDlgItem(dialog, IDC_DEFAULT_ACTION), CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(u"Off"));
        w.ShowWindow(dialog, SW_SHOW);

        Log log(model);
        log.names = {{dialog, "dialog"},
                     {w.GetDlgItem(dialog, IDC_ON_LIST), "on-list"},
                     {w.GetDlgItem(dialog, IDC_KEEP_PDA_ON), "keep-on"},
                     {w.GetDlgItem(dialog, IDC_DEFAULT_ACTION), "default"}};
        model.AddObserver(&log);
        UserInput input(model);
        for (const Step& step : row.steps)
            time.actions.push_back([&, step] { step(input, frame, dialog); });
        // The program's loop runs until the user has acted and all is handled.
        MSG msg;
        while (!time.actions.empty() || model.PendingPosted() > 0) {
            w.GetMessageW(&msg, HWND{}, 0, 0);
            w.DispatchMessageW(&msg);
        }
        EXPECT_EQ(log.seen, row.expected);
        model.RemoveObserver(&log);
    }
}

TEST(ModelNotifications, ProgramChangesToWindowsAndIcons) {
    ScriptedTime time;
    WindowModel model(time);
    model.AddClient(kPid);
    ClientWindows w(model, kPid);
    Log log(model);
    model.AddObserver(&log);
    const HWND frame =
        w.CreateWindowExW(0, u"Frame", u"Velk", WS_VISIBLE, 0, 0, 240, 320, HWND{}, 0, nullptr);
    NOTIFYICONDATA icon;
    icon.hWnd = frame;
    icon.uID = 1;
    model.NotifyIcon(kPid, NIM_ADD, icon);
    model.NotifyIcon(kPid, NIM_MODIFY, icon);
    w.SetWindowTextW(frame, u"Velk 2");
    w.SetWindowPos(frame, HWND{}, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    w.SetFocus(frame);
    w.ShowWindow(frame, SW_HIDE);
    model.RemoveClient(kPid);
    EXPECT_EQ(log.seen, (std::vector<std::string>{"created Frame", "front Frame", "icon added",
                                                  "icon changed", "text Frame", "moved Frame",
                                                  "focus Frame", "hidden Frame", "front none",
                                                  "destroyed Frame", "icon removed"}));
}

}  // namespace
}  // namespace velk::model

// For the view's tests and screenshots: a desktop of its own (Xvfb, a private session
// bus, openbox, a notification area), and a small client of the window model that acts
// as the program does with its icon, menu, dialogs and message boxes.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/model/window_model.h"
#include "res/resource_ids.h"
#include "tests/linux/support/child.h"

namespace velk::test {

constexpr int kScreenHeight = 768;
constexpr int kTrayHeight = 32;

// Runs a command to its end; its exit code.
inline int RunTool(const std::vector<std::string>& argv) {
    return Child(argv).Wait();
}

// An X server on the first free display with openbox, a session bus of its own and a
// notification area (trayer); DISPLAY and DBUS_SESSION_BUS_ADDRESS point this process
// (and what it starts later) at them. Missing() tells what did not come up.
class Desktop {
  public:
    Desktop()
        : server_({"Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                   "1024x" + std::to_string(kScreenHeight) + "x24"}),
          bus_({"dbus-daemon", "--session", "--nofork", "--print-address=1"}) {
        const std::string display = server_.ReadLine();
        const std::string address = bus_.ReadLine();
        if (display.empty() || address.empty())
            return;
        serving_ = true;
        setenv("DISPLAY", (":" + display).c_str(), 1);
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        manager_ = std::make_unique<Child>(std::vector<std::string>{"openbox", "--sm-disable"});
        // openbox is up once it names itself on the root window.
        for (int i = 0; i < 400 && !managed_; ++i) {
            managed_ =
                RunTool({"sh", "-c",
                         "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window "
                         "id'"}) == 0;
            if (!managed_)
                usleep(50000);
        }
        // The notification area takes icons once its panel is on the screen. trayer now and
        // then dies on an X error while it starts; it is started again.
        for (int attempt = 0; attempt < 3 && !trayShown_; ++attempt) {
            tray_ = std::make_unique<Child>(std::vector<std::string>{
                "trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                "--height", std::to_string(kTrayHeight), "--SetDockType", "true"});
            for (int i = 0; i < 100 && !trayShown_; ++i) {
                trayShown_ =
                    RunTool({"sh", "-c",
                             "xdotool search --onlyvisible --class trayer >/dev/null"}) == 0;
                if (!trayShown_)
                    usleep(50000);
            }
        }
    }
    // What did not start; empty when all did.
    std::string Missing() const {
        return !serving_     ? "Xvfb or the session bus"
               : !managed_   ? "openbox"
               : !trayShown_ ? "trayer"
                             : "";
    }

  private:
    Child server_;
    Child bus_;
    std::unique_ptr<Child> manager_;
    std::unique_ptr<Child> tray_;
    bool serving_ = false;
    bool managed_ = false;
    bool trayShown_ = false;
};

// The X window of a program's notification icon, once the notification area (the
// Desktop's trayer, along the screen's bottom edge) holds it; empty when it does not
// come within 10 s.
inline std::string EmbeddedIconWindow(const std::string& program) {
    const std::string find = "for w in $(xdotool search --onlyvisible --classname '" + program +
                             "'); do eval \"$(xdotool getwindowgeometry --shell $w)\"; " +
                             "[ \"$Y\" -ge " + std::to_string(kScreenHeight - kTrayHeight) +
                             " ] && [ \"$HEIGHT\" -le " + std::to_string(kTrayHeight) +
                             " ] && echo $w && break; done";
    for (int i = 0; i < 100; ++i) {
        Child probe({"sh", "-c", find});
        const std::string window = probe.ReadLine(1000);
        if (!window.empty())
            return window;
        usleep(100000);
    }
    return {};
}

// The client: a hidden frame with the program's notification icon (its tap opens the
// first pop-up of menu 128), and the three dialogs opened from it as the program opens
// them, the settings dialog's drop-downs filled as the program fills them. It records
// the commands its windows receive.
class DemoClient : public IWindowHandler {
  public:
    static constexpr DWORD kPid = 0x200;
    static constexpr UINT kIconMessage = WM_USER + 2;
    static constexpr UINT kShowMessageBox = WM_USER + 3;
    static constexpr UINT_PTR kTimeoutTimer = 99;
    static constexpr UINT_PTR kTickTimer = 98;

    explicit DemoClient(model::WindowModel& model) : model_(model) {
        model_.SetMenuSource([](WORD id) { return FindMenuTemplate(id); });
        model_.AddClient(kPid);
        frame = model_.CreateWindow(kPid, 0, u"Frame", u"Velk", WS_OVERLAPPED, 0, 0, 240, 320,
                                    HWND{}, 0, this);
        NOTIFYICONDATA icon;
        icon.hWnd = frame;
        icon.uID = 1;
        icon.uFlags = NIF_MESSAGE | NIF_ICON;
        icon.uCallbackMessage = kIconMessage;
        icon.hIcon = model_.LoadIcon(IDI_TRAY_SMALL);
        model_.NotifyIcon(kPid, NIM_ADD, icon);
    }

    HWND Open(WORD templateId) {
        const HWND d = model_.CreateDialog(kPid, *FindDialogTemplate(templateId), HWND{}, this);
        model_.ShowWindow(d, SW_SHOW);
        return d;
    }

    // Runs the client's message loop until the condition holds or the time is up. With a
    // tick, a timer wakes the loop that often, for conditions on what Qt shows (which
    // does not wake the model).
    bool RunUntil(const std::function<bool()>& done, unsigned timeoutMs, unsigned tickMs = 0) {
        timedOut_ = false;
        model_.SetTimer(frame, kTimeoutTimer, timeoutMs);
        if (tickMs)
            model_.SetTimer(frame, kTickTimer, tickMs);
        MSG msg;
        while (!done() && !timedOut_ && model_.GetMessage(kPid, &msg))
            model_.Dispatch(msg);
        model_.KillTimer(frame, kTimeoutTimer);
        model_.KillTimer(frame, kTickTimer);
        return done();
    }

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (hwnd == frame)
            return FrameProc(message, wParam, lParam);
        const model::Window* w = model_.Find(hwnd);
        if (w && w->isDialog) {
            if (message == WM_INITDIALOG)
                FillSettings(hwnd);
            if (message == WM_COMMAND) {
                commands.push_back(LOWORD(wParam));
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
                    model_.DestroyWindow(hwnd);
            }
            return 0;
        }
        return model_.DefWindowProc(hwnd, message, wParam, lParam);
    }

    HWND frame;
    std::vector<UINT> commands;        // WM_COMMAND ids, of the frame and the dialogs
    std::vector<LPARAM> iconMessages;  // the mouse messages of the icon's notifications
    int messageBoxResult = -1;

  private:
    LRESULT FrameProc(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && (wParam == kTimeoutTimer || wParam == kTickTimer)) {
            timedOut_ = timedOut_ || wParam == kTimeoutTimer;
            return 0;
        }
        if (message == kIconMessage) {
            iconMessages.push_back(lParam);
            if (lParam == static_cast<LPARAM>(WM_LBUTTONDOWN)) {
                const HMENU menu = model_.LoadMenu(IDR_MAINFRAME);
                model_.TrackPopupMenu(kPid, model_.GetSubMenu(menu, 0), 0, 0, 0, frame);
                model_.DestroyMenu(menu);
            }
            return 0;
        }
        if (message == kShowMessageBox) {
            messageBoxResult = model_.MessageBox(kPid, frame, u"Cannot find the window.", u"Velk",
                                                 MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            if (LOWORD(wParam) == ID_APP_ABOUT)
                Open(IDD_ABOUTBOX);
            if (LOWORD(wParam) == ID_SETTINGS)
                Open(IDD_SETTINGS);
            return 0;
        }
        return model_.DefWindowProc(frame, message, wParam, lParam);
    }

    // The program's drop-down lists and a first choice in each.
    void FillSettings(HWND dialog) {
        const std::map<INT, std::vector<const char16_t*>> lists = {
            {IDC_DEFAULT_ACTION, {u"Leave", u"Turn On", u"Turn Off"}},
            {IDC_WF_DEFAULT_ACTION, {u"Leave", u"Turn On", u"Turn Off"}},
            {IDC_BT_CONTROL, {u"Widcomm", u"Microsoft (conn.)", u"Microsoft (disc.)"}},
            {IDC_DEF_CONTROL, {u"Bluetooth", u"WiFi"}}};
        if (model_.Get(dialog).caption != u"Velk Settings")
            return;
        for (const auto& [id, items] : lists) {
            const HWND combo = model_.GetDlgItem(dialog, id);
            for (const char16_t* text : items)
                model_.Send(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            model_.Send(combo, CB_SETCURSEL, id == IDC_BT_CONTROL ? 1 : 0, 0);
        }
    }

    model::WindowModel& model_;
    bool timedOut_ = false;
};

}  // namespace velk::test

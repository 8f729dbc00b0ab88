// The window system for tests that need a few working calls without the simulated
// handheld: the desktop's fake (fake_desktop_windows.h) with the program's windows and
// their optional handlers, synchronous sends, one posted-message queue, dialogs built
// from their templates, and records of the calls a test looks at. It is
// steered through its methods; calls it does not model answer 0, FALSE or a null
// handle. A test that needs an odd answer derives from it and overrides that call.
// (Tests of whole programs use the simulated handheld, platform/sim.)
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/strings.h"
#include "platform/window_system.h"
#include "tests/unit/support/fake_desktop_windows.h"

namespace velk::test {

class FakeWindowSystem : public FakeDesktopWindowsOf<IWindowSystem> {
  public:
    using Window = FakeDesktopWindowsOf<IWindowSystem>::Window;
    struct MessageBoxCall {
        std::u16string text, caption;
        UINT type;
    };

    // --- steering ---------------------------------------------------------------------
    // Runs when a loop asks for a message and none is queued; GetMessageW answers -1
    // when the queue is still empty after it.
    void OnIdle(std::function<void()> idle) { onIdle_ = std::move(idle); }
    void Post(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
        queue_.push_back(MSG{hwnd, message, w, l, 0});
    }
    // A click on a dialog's button: the dialog receives WM_COMMAND.
    void PostCommand(HWND hwnd, INT id) { Post(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // The rectangle a new dialog gets.
    void SetDialogRect(RECT rect) { dialogRect_ = rect; }

    // --- looking -------------------------------------------------------------------------
    HWND Control(HWND dialog, INT id) const {
        const auto it = controls_.find({dialog.value, id});
        return it == controls_.end() ? HWND{} : it->second;
    }
    const std::deque<MSG>& Queue() const { return queue_; }

    // Forgets the counts, the FindWindowW queries and the default-processing calls.
    void ClearCalls() {
        FakeDesktopWindowsOf::ClearCalls();
        defaults_.clear();
    }
    const std::vector<std::pair<HWND, UINT>>& DefaultCalls() const { return defaults_; }
    const std::vector<INT>& Quits() const { return quits_; }
    const std::vector<HWND>& Destroyed() const { return destroyed_; }
    const std::vector<std::pair<LONG, LONG>>& Moves() const { return moves_; }
    const std::vector<MessageBoxCall>& Boxes() const { return boxes_; }

    // --- windows --------------------------------------------------------------------
    BOOL RegisterClassW(const WNDCLASSW&) override { return Count("RegisterClassW"), 1; }
    HWND CreateWindowExW(DWORD, const char16_t* className, const char16_t* name, DWORD style, INT x,
                         INT y, INT w, INT h, HWND parent, UINT_PTR id,
                         IWindowHandler* handler) override {
        Count("CreateWindowExW");
        const HWND hwnd = NewWindow(handler, parent, style, name ? name : u"");
        Window& win = Get(hwnd);
        win.className = className ? className : u"";
        win.id = static_cast<INT>(id);
        win.rect = RECT{x, y, x + w, y + h};
        if (handler != nullptr) {
            handler->WindowProc(hwnd, WM_NCCREATE, 0, 0);
            if (handler->WindowProc(hwnd, WM_CREATE, 0, 0) == -1) {
                DestroyWindow(hwnd);
                return HWND{};
            }
        }
        return hwnd;
    }
    BOOL DestroyWindow(HWND hwnd) override {
        Count("DestroyWindow");
        const auto it = windows_.find(hwnd.value);
        if (it == windows_.end())
            return 0;
        IWindowHandler* handler = it->second.handler;
        windows_.erase(it);
        destroyed_.push_back(hwnd);
        if (front_ == hwnd)
            front_ = HWND{};
        if (handler != nullptr) {
            handler->WindowProc(hwnd, WM_DESTROY, 0, 0);
            handler->WindowProc(hwnd, WM_NCDESTROY, 0, 0);
        }
        return 1;
    }
    LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) override {
        Count("DefWindowProcW");
        defaults_.emplace_back(hwnd, message);
        if (message == WM_CLOSE)
            DestroyWindow(hwnd);
        return 0;
    }
    BOOL SetWindowTextW(HWND hwnd, const char16_t* text) override {
        if (!Exists(hwnd))
            return 0;
        Get(hwnd).text = text;
        return 1;
    }
    BOOL ShowWindow(HWND hwnd, INT cmd) override {
        if (!Exists(hwnd))
            return 0;
        Get(hwnd).visible = cmd != SW_HIDE;
        return 1;
    }
    BOOL IsWindowVisible(HWND hwnd) override { return Exists(hwnd) && Get(hwnd).visible; }
    BOOL UpdateWindow(HWND) override { return 0; }
    BOOL GetWindowRect(HWND hwnd, RECT* rect) override {
        if (!Exists(hwnd))
            return 0;
        *rect = Get(hwnd).rect;
        return 1;
    }
    BOOL SetWindowPos(HWND hwnd, HWND, INT x, INT y, INT, INT, UINT) override {
        moves_.emplace_back(x, y);
        if (Exists(hwnd)) {
            RECT& r = Get(hwnd).rect;
            r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
        }
        return 1;
    }
    LONG GetWindowLongW(HWND, INT) override { return 0; }
    HWND GetParent(HWND) override { return HWND{}; }
    HWND GetWindow(HWND hwnd, UINT cmd) override {
        return cmd == GW_OWNER && Exists(hwnd) ? Get(hwnd).parent : HWND{};
    }
    HWND SetFocus(HWND) override { return HWND{}; }
    HDC BeginPaint(HWND, PAINTSTRUCT*) override { return HDC{}; }
    BOOL EndPaint(HWND, const PAINTSTRUCT*) override { return 0; }

    // --- messages -------------------------------------------------------------------
    BOOL GetMessageW(MSG* msg, HWND, UINT, UINT) override {
        if (queue_.empty() && onIdle_)
            onIdle_();
        if (queue_.empty())
            return -1;
        *msg = queue_.front();
        queue_.pop_front();
        return msg->message == WM_QUIT ? 0 : 1;
    }
    BOOL TranslateMessage(const MSG*) override { return 0; }
    LRESULT DispatchMessageW(const MSG* msg) override {
        return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
    BOOL PostMessageW(HWND hwnd, UINT message, WPARAM w, LPARAM l) override {
        Post(hwnd, message, w, l);
        return 1;
    }
    LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM w, LPARAM l) override {
        Count("SendMessageW");
        const auto it = windows_.find(hwnd.value);
        if (it == windows_.end())
            return 0;
        Window& win = it->second;
        if (win.handler != nullptr)
            return win.handler->WindowProc(hwnd, message, w, l);
        switch (message) {
            case BM_SETCHECK:
                win.check = static_cast<int>(w);
                return 0;
            case BM_GETCHECK:
                return win.check;
            case CB_ADDSTRING:
                return win.count++;
            case CB_SETCURSEL:
                win.selection = static_cast<INT>(w) >= 0 && static_cast<INT>(w) < win.count
                                    ? static_cast<int>(w)
                                    : -1;
                return win.selection;
            case CB_GETCURSEL:
                return win.selection;
            default:
                return 0;
        }
    }
    void PostQuitMessage(INT code) override {
        quits_.push_back(code);
        queue_.push_back(MSG{HWND{}, WM_QUIT, static_cast<WPARAM>(code), 0, 0});
    }
    UINT RegisterWindowMessageW(const char16_t*) override { return 0; }

    // --- timers and hot keys --------------------------------------------------------
    UINT_PTR SetTimer(HWND, UINT_PTR, UINT) override { return 0; }
    BOOL KillTimer(HWND, UINT_PTR) override { return 0; }
    BOOL RegisterHotKey(HWND, INT, UINT, UINT) override { return 0; }
    BOOL UnregisterHotKey(HWND, INT) override { return 0; }
    SHORT GetAsyncKeyState(INT) override { return 0; }

    // --- dialogs --------------------------------------------------------------------
    HWND CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                               IWindowHandler* handler) override {
        const HWND dialog = NewWindow(handler, parent, tmpl.style, tmpl.caption);
        Get(dialog).rect = dialogRect_;
        for (const DialogItemTemplate& item : tmpl.items) {
            const HWND c = NewWindow(nullptr, dialog, item.style, item.text ? item.text : u"");
            Get(c).id = item.id;
            Get(c).className = item.windowClass;
            controls_[{dialog.value, item.id}] = c;
        }
        if (handler != nullptr)
            handler->WindowProc(dialog, WM_INITDIALOG, 0, 0);
        return dialog;
    }
    BOOL IsDialogMessageW(HWND, MSG*) override { return 0; }
    HWND GetDlgItem(HWND dialog, INT id) override { return Control(dialog, id); }
    INT GetDlgCtrlID(HWND) override { return 0; }
    BOOL MapDialogRect(HWND, RECT*) override { return 0; }
    INT MessageBoxW(HWND, const char16_t* text, const char16_t* caption, UINT type) override {
        boxes_.push_back({text, caption, type});
        return IDOK;
    }

    // --- menus and icons ------------------------------------------------------------
    HMENU LoadMenuW(WORD id) override { return HMENU{0x5000u + id}; }
    HMENU GetSubMenu(HMENU, INT) override { return HMENU{}; }
    BOOL DestroyMenu(HMENU) override { return 0; }
    BOOL TrackPopupMenuEx(HMENU, UINT, INT, INT, HWND) override { return 0; }
    HICON LoadIconW(WORD) override { return HICON{}; }

  private:
    std::map<std::pair<std::uintptr_t, INT>, HWND> controls_;  // (dialog, id) -> control
    std::deque<MSG> queue_;
    std::function<void()> onIdle_;
    RECT dialogRect_{0, 0, 100, 50};
    std::vector<std::pair<HWND, UINT>> defaults_;
    std::vector<INT> quits_;
    std::vector<HWND> destroyed_;
    std::vector<std::pair<LONG, LONG>> moves_;
    std::vector<MessageBoxCall> boxes_;
};

}  // namespace velk::test

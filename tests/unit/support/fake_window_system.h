// The window system for tests that need a few working calls without the simulated
// handheld: top-level windows and dialog controls with captions and optional handlers,
// a front window, case-blind FindWindowW, synchronous sends, one posted-message queue,
// dialogs built from their templates, and records of the calls a test looks at. It is
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

namespace velk::test {

class FakeWindowSystem : public IWindowSystem {
  public:
    struct Window {
        std::u16string text;  // caption, or a control's text
        std::u16string className;
        IWindowHandler* handler = nullptr;
        HWND parent;
        DWORD style = 0;
        bool visible = false;
        INT id = 0;
        RECT rect;
        // Control state of buttons and combo boxes without a handler.
        int check = 0;
        int selection = -1;
        int count = 0;
    };
    struct MessageBoxCall {
        std::u16string text, caption;
        UINT type;
    };

    // --- steering ---------------------------------------------------------------------
    // Adds a top-level window without sending it anything; the first window gets handle 1.
    HWND Add(std::u16string caption, IWindowHandler* handler = nullptr) {
        return NewWindow(handler, HWND{}, 0, std::move(caption));
    }
    void Remove(HWND h) { windows_.erase(h.value); }
    void SetCaption(HWND h, std::u16string caption) { Get(h).text = std::move(caption); }
    // Brings a window to the front; a null handle leaves no front window.
    void SetFront(HWND h) { front_ = h; }
    // Adds a window and brings it to the front.
    HWND Front(std::u16string caption) {
        const HWND h = Add(std::move(caption));
        SetFront(h);
        return h;
    }
    // Top-level windows of other processes, as EnumWindows and the process id query see
    // them (the single-instance search).
    void SetOtherProcessWindows(std::vector<std::pair<HWND, DWORD>> windows) {
        others_ = std::move(windows);
    }
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
    const Window* Find(HWND h) const {
        const auto it = windows_.find(h.value);
        return it == windows_.end() ? nullptr : &it->second;
    }
    Window& Get(HWND h) { return windows_.at(h.value); }
    bool Exists(HWND h) const { return windows_.count(h.value) != 0; }
    HWND Control(HWND dialog, INT id) const {
        const auto it = controls_.find({dialog.value, id});
        return it == controls_.end() ? HWND{} : it->second;
    }
    const std::deque<MSG>& Queue() const { return queue_; }

    // Calls served, by operation name.
    int Calls(const std::string& name) const {
        const auto it = calls_.find(name);
        return it == calls_.end() ? 0 : it->second;
    }
    // The window names FindWindowW was asked for, in order.
    const std::vector<std::u16string>& FindQueries() const { return findQueries_; }
    // Forgets the counts, the FindWindowW queries and the default-processing calls.
    void ClearCalls() {
        calls_.clear();
        findQueries_.clear();
        defaults_.clear();
    }
    const std::vector<std::pair<HWND, UINT>>& DefaultCalls() const { return defaults_; }
    const std::vector<INT>& Quits() const { return quits_; }
    const std::vector<HWND>& Destroyed() const { return destroyed_; }
    const std::vector<HWND>& Foregrounds() const { return foregrounds_; }
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
    BOOL IsWindow(HWND hwnd) override { return Exists(hwnd) ? 1 : 0; }
    LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) override {
        Count("DefWindowProcW");
        defaults_.emplace_back(hwnd, message);
        if (message == WM_CLOSE)
            DestroyWindow(hwnd);
        return 0;
    }
    INT GetWindowTextLengthW(HWND hwnd) override {
        Count("GetWindowTextLengthW");
        const Window* w = Find(hwnd);
        return w ? static_cast<INT>(w->text.size()) : 0;
    }
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override {
        Count("GetWindowTextW");
        const Window* w = Find(hwnd);
        return CopyTruncated(w ? std::u16string_view(w->text) : u"", buf, maxCount);
    }
    BOOL SetWindowTextW(HWND hwnd, const char16_t* text) override {
        if (!Exists(hwnd))
            return 0;
        Get(hwnd).text = text;
        return 1;
    }
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override {
        Count("FindWindowW");
        if (windowName == nullptr)
            return HWND{};
        findQueries_.emplace_back(windowName);
        for (const auto& [h, w] : windows_) {
            if (w.parent)
                continue;  // top-level windows only
            if (className != nullptr && w.className != className)
                continue;
            if (FoldedEquals(w.text, windowName))
                return HWND{h};
        }
        return HWND{};
    }
    BOOL EnumWindows(const WNDENUMPROC& callback) override {
        for (const auto& [hwnd, pid] : others_)
            if (!callback(hwnd))
                break;
        return 1;
    }
    HWND GetForegroundWindow() override {
        Count("GetForegroundWindow");
        return front_;
    }
    BOOL SetForegroundWindow(HWND hwnd) override {
        foregrounds_.push_back(hwnd);
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
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* pid) override {
        for (const auto& [h, p] : others_)
            if (h == hwnd && pid != nullptr)
                *pid = p;
        return 1;
    }
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
    void Count(const char* name) { ++calls_[name]; }
    HWND NewWindow(IWindowHandler* handler, HWND parent, DWORD style, std::u16string text) {
        const HWND h{next_++};
        Window& w = windows_[h.value];
        w.handler = handler;
        w.parent = parent;
        w.style = style;
        w.visible = (style & WS_VISIBLE) != 0;
        w.text = std::move(text);
        return h;
    }

    std::map<std::uintptr_t, Window> windows_;
    std::map<std::pair<std::uintptr_t, INT>, HWND> controls_;  // (dialog, id) -> control
    std::uintptr_t next_ = 1;
    HWND front_;
    std::deque<MSG> queue_;
    std::function<void()> onIdle_;
    RECT dialogRect_{0, 0, 100, 50};
    std::vector<std::pair<HWND, DWORD>> others_;  // (window, pid)
    std::map<std::string, int> calls_;
    std::vector<std::u16string> findQueries_;
    std::vector<std::pair<HWND, UINT>> defaults_;
    std::vector<INT> quits_;
    std::vector<HWND> destroyed_;
    std::vector<HWND> foregrounds_;
    std::vector<std::pair<LONG, LONG>> moves_;
    std::vector<MessageBoxCall> boxes_;
};

}  // namespace velk::test

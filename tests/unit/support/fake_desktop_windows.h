// The desktop's windows for tests: top-level windows with captions, a front window,
// case-blind FindWindowW, other processes' windows for EnumWindows, and the calls a test
// looks at. Steered through its methods. FakeWindowSystem (fake_window_system.h) builds
// the program's windows, dialogs and messages on the same table.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop_windows.h"
#include "platform/strings.h"
#include "platform/window_system.h"

namespace velk::test {

// Base is the interface the fake answers: IDesktopWindows alone, or IWindowSystem for
// the whole window system's fake.
template <typename Base = IDesktopWindows>
class FakeDesktopWindowsOf : public Base {
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

    // --- looking -------------------------------------------------------------------------
    const Window* Find(HWND h) const {
        const auto it = windows_.find(h.value);
        return it == windows_.end() ? nullptr : &it->second;
    }
    Window& Get(HWND h) { return windows_.at(h.value); }
    bool Exists(HWND h) const { return windows_.count(h.value) != 0; }
    // Calls served, by operation name.
    int Calls(const std::string& name) const {
        const auto it = calls_.find(name);
        return it == calls_.end() ? 0 : it->second;
    }
    // The window names FindWindowW was asked for, in order.
    const std::vector<std::u16string>& FindQueries() const { return findQueries_; }
    // Forgets the counts and the FindWindowW queries.
    void ClearCalls() {
        calls_.clear();
        findQueries_.clear();
    }
    const std::vector<HWND>& Foregrounds() const { return foregrounds_; }

    // --- the desktop's windows -----------------------------------------------------------
    HWND GetForegroundWindow() override {
        Count("GetForegroundWindow");
        return front_;
    }
    BOOL SetForegroundWindow(HWND hwnd) override {
        foregrounds_.push_back(hwnd);
        return 1;
    }
    BOOL IsWindow(HWND hwnd) override { return Exists(hwnd) ? 1 : 0; }
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
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* pid) override {
        for (const auto& [h, p] : others_)
            if (h == hwnd && pid != nullptr)
                *pid = p;
        return 1;
    }

  protected:
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
    std::uintptr_t next_ = 1;
    HWND front_;

  private:
    std::vector<std::pair<HWND, DWORD>> others_;  // (window, pid)
    std::map<std::string, int> calls_;
    std::vector<std::u16string> findQueries_;
    std::vector<HWND> foregrounds_;
};

using FakeDesktopWindows = FakeDesktopWindowsOf<>;

}  // namespace velk::test

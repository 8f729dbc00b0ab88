// Small in-memory stand-ins for the seam, for tests that need a few working calls:
// - WindowTable: top-level windows with captions and optional handlers, a front window,
//   case-blind FindWindowW and synchronous SendMessageW; it counts the calls it serves.
// - FakePower: answers every power call with a settable result and records the calls.
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/power.h"
#include "platform/strings.h"
#include "tests/unit/support/fake_window_system.h"

namespace velk::test {

class WindowTable : public FakeWindowSystem {
  public:
    struct Window {
        std::u16string caption;
        std::u16string className;
        IWindowHandler* handler = nullptr;
    };

    // Adds a top-level window and returns it; the first window gets handle 1.
    HWND Add(std::u16string caption, IWindowHandler* handler = nullptr) {
        const HWND h{next_++};
        windows_[h.value] = {std::move(caption), u"", handler};
        return h;
    }
    void Remove(HWND h) { windows_.erase(h.value); }
    void SetCaption(HWND h, std::u16string caption) { windows_.at(h.value).caption = caption; }
    // Brings a window to the front; a null handle leaves no front window.
    void SetFront(HWND h) { front_ = h; }
    // Adds a window and brings it to the front.
    HWND Front(std::u16string caption) {
        const HWND h = Add(std::move(caption));
        SetFront(h);
        return h;
    }
    const Window* Find(HWND h) const {
        const auto it = windows_.find(h.value);
        return it == windows_.end() ? nullptr : &it->second;
    }

    // Calls served, by operation name.
    int Calls(const std::string& name) const {
        const auto it = calls_.find(name);
        return it == calls_.end() ? 0 : it->second;
    }
    // The window names FindWindowW was asked for, in order.
    const std::vector<std::u16string>& FindQueries() const { return findQueries_; }
    void ClearCalls() {
        calls_.clear();
        findQueries_.clear();
    }

    BOOL RegisterClassW(const WNDCLASSW&) override {
        ++calls_["RegisterClassW"];
        return 1;
    }
    HWND CreateWindowExW(DWORD, const char16_t* className, const char16_t* windowName, DWORD, INT,
                         INT, INT, INT, HWND, UINT_PTR, IWindowHandler* handler) override {
        ++calls_["CreateWindowExW"];
        const HWND h = Add(windowName ? windowName : u"", handler);
        windows_[h.value].className = className ? className : u"";
        return h;
    }
    BOOL DestroyWindow(HWND h) override {
        ++calls_["DestroyWindow"];
        const auto it = windows_.find(h.value);
        if (it == windows_.end())
            return 0;
        IWindowHandler* handler = it->second.handler;
        windows_.erase(it);
        if (front_ == h)
            front_ = HWND{};
        if (handler) {
            handler->WindowProc(h, WM_DESTROY, 0, 0);
            handler->WindowProc(h, WM_NCDESTROY, 0, 0);
        }
        return 1;
    }
    BOOL IsWindow(HWND h) override { return windows_.count(h.value) ? 1 : 0; }
    LRESULT DefWindowProcW(HWND, UINT, WPARAM, LPARAM) override {
        ++calls_["DefWindowProcW"];
        return 0;
    }
    HWND GetForegroundWindow() override {
        ++calls_["GetForegroundWindow"];
        return front_;
    }
    INT GetWindowTextLengthW(HWND h) override {
        ++calls_["GetWindowTextLengthW"];
        const Window* w = Find(h);
        return w ? static_cast<INT>(w->caption.size()) : 0;
    }
    INT GetWindowTextW(HWND h, char16_t* buf, INT maxCount) override {
        ++calls_["GetWindowTextW"];
        if (buf == nullptr || maxCount <= 0)
            return 0;
        const Window* w = Find(h);
        const std::u16string text = w ? w->caption : u"";
        const INT n = std::min<INT>(static_cast<INT>(text.size()), maxCount - 1);
        text.copy(buf, static_cast<std::size_t>(n));
        buf[n] = u'\0';
        return n;
    }
    HWND FindWindowW(const char16_t* className, const char16_t* windowName) override {
        ++calls_["FindWindowW"];
        if (windowName == nullptr)
            return HWND{};
        std::u16string wanted = windowName;
        findQueries_.push_back(wanted);
        Fold(wanted);
        for (const auto& [h, w] : windows_) {
            if (className != nullptr && w.className != className)
                continue;
            std::u16string caption = w.caption;
            Fold(caption);
            if (caption == wanted)
                return HWND{h};
        }
        return HWND{};
    }
    LRESULT SendMessageW(HWND h, UINT message, WPARAM wParam, LPARAM lParam) override {
        ++calls_["SendMessageW"];
        const Window* w = Find(h);
        if (w == nullptr || w->handler == nullptr)
            return 0;
        return w->handler->WindowProc(h, message, wParam, lParam);
    }

  private:
    std::map<std::uintptr_t, Window> windows_;
    std::uintptr_t next_ = 1;
    HWND front_;
    std::map<std::string, int> calls_;
    std::vector<std::u16string> findQueries_;
};

class FakePower : public IPower {
  public:
    DWORD SetDevicePower(const char16_t*, DWORD, DWORD state) override {
        calls.push_back("SetDevicePower " + std::to_string(state));
        return setResult;
    }
    DWORD GetDevicePower(const char16_t*, DWORD, DWORD* state) override {
        calls.push_back("GetDevicePower");
        if (getResult == 0 && state)
            *state = deviceState;
        return getResult;
    }
    BOOL KernelIoControl(DWORD code, void*, DWORD, void*, DWORD, DWORD*) override {
        calls.push_back("KernelIoControl " + std::to_string(code));
        return 1;
    }
    HANDLE CreateEventW(BOOL, BOOL, const char16_t* name) override {
        calls.push_back("CreateEventW " + ToUtf8(name ? name : u""));
        return HANDLE{++nextHandle};
    }
    BOOL EventModify(HANDLE h, DWORD func) override {
        calls.push_back("EventModify " + std::to_string(h.value) + " " + std::to_string(func));
        return 1;
    }
    BOOL CloseHandle(HANDLE h) override {
        calls.push_back("CloseHandle " + std::to_string(h.value));
        return 1;
    }
    void Sleep(DWORD ms) override { calls.push_back("Sleep " + std::to_string(ms)); }
    void SystemIdleTimerReset() override {
        calls.push_back("SystemIdleTimerReset");
        ++idleResets;
    }

    DWORD setResult = 0;
    DWORD getResult = 0;
    DWORD deviceState = D4;
    std::uintptr_t nextHandle = 0;
    int idleResets = 0;
    std::vector<std::string> calls;
};

}  // namespace velk::test

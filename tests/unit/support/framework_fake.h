// A small working window system, shell and process for the framework's tests: windows
// with handlers, synchronous sends, one posted-message queue, dialogs with controls built
// from their templates, and records of the calls the framework's behaviour shows in.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "tests/unit/support/fake_window_system.h"

namespace velk::test {

class FrameworkWindows : public FakeWindowSystem {
  public:
    struct Win {
        IWindowHandler* handler = nullptr;
        HWND parent;
        DWORD style = 0;
        bool visible = false;
        std::u16string text;
        INT id = 0;
        RECT rect;
        // Control state.
        int check = 0;
        int selection = -1;
        int count = 0;
    };

    std::map<std::uintptr_t, Win> windows;
    std::map<std::pair<std::uintptr_t, INT>, HWND> controls;  // (dialog, id) -> control
    std::deque<MSG> queue;
    std::vector<std::pair<HWND, UINT>> defaults;  // DefWindowProcW calls
    std::vector<INT> quits;                       // PostQuitMessage codes
    std::vector<HWND> destroyed;
    std::vector<HWND> foregrounds;
    std::vector<std::pair<LONG, LONG>> moves;  // SetWindowPos positions
    // Runs when a loop asks for a message and none is queued; GetMessageW answers -1
    // when the queue is still empty after it.
    std::function<void()> onIdle;
    RECT defaultRect{0, 0, 100, 50};

    Win& Get(HWND h) { return windows.at(h.value); }
    bool Exists(HWND h) const { return windows.count(h.value) != 0; }
    HWND Control(HWND dialog, INT id) const {
        auto it = controls.find({dialog.value, id});
        return it == controls.end() ? HWND{} : it->second;
    }
    // Simulates a click on a dialog's button: the dialog receives WM_COMMAND.
    void PostCommand(HWND hwnd, INT id) { Post(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Post(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
        queue.push_back(MSG{hwnd, message, w, l, 0});
    }

    BOOL RegisterClassW(const WNDCLASSW&) override { return 1; }

    HWND CreateWindowExW(DWORD, const char16_t*, const char16_t* name, DWORD style, INT x, INT y,
                         INT w, INT h, HWND parent, UINT_PTR id, IWindowHandler* handler) override {
        const HWND hwnd = NewWindow(handler, parent, style, name ? name : u"");
        Get(hwnd).id = static_cast<INT>(id);
        Get(hwnd).rect = RECT{x, y, x + w, y + h};
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
        auto it = windows.find(hwnd.value);
        if (it == windows.end())
            return 0;
        IWindowHandler* handler = it->second.handler;
        windows.erase(it);
        destroyed.push_back(hwnd);
        if (handler != nullptr) {
            handler->WindowProc(hwnd, WM_DESTROY, 0, 0);
            handler->WindowProc(hwnd, WM_NCDESTROY, 0, 0);
        }
        return 1;
    }
    BOOL IsWindow(HWND hwnd) override { return Exists(hwnd); }

    LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM, LPARAM) override {
        defaults.emplace_back(hwnd, message);
        if (message == WM_CLOSE)
            DestroyWindow(hwnd);
        return 0;
    }

    INT GetWindowTextLengthW(HWND hwnd) override {
        return Exists(hwnd) ? static_cast<INT>(Get(hwnd).text.size()) : 0;
    }
    INT GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) override {
        if (maxCount <= 0)
            return 0;
        const std::u16string text = Exists(hwnd) ? Get(hwnd).text : u"";
        const auto n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(maxCount - 1));
        text.copy(buf, n);
        buf[n] = u'\0';
        return static_cast<INT>(n);
    }
    BOOL SetWindowTextW(HWND hwnd, const char16_t* text) override {
        if (!Exists(hwnd))
            return 0;
        Get(hwnd).text = text;
        return 1;
    }
    BOOL SetForegroundWindow(HWND hwnd) override {
        foregrounds.push_back(hwnd);
        return 1;
    }
    BOOL ShowWindow(HWND hwnd, INT cmd) override {
        if (!Exists(hwnd))
            return 0;
        Get(hwnd).visible = cmd != SW_HIDE;
        return 1;
    }
    BOOL IsWindowVisible(HWND hwnd) override { return Exists(hwnd) && Get(hwnd).visible; }
    BOOL GetWindowRect(HWND hwnd, RECT* rect) override {
        if (!Exists(hwnd))
            return 0;
        *rect = Get(hwnd).rect;
        return 1;
    }
    BOOL SetWindowPos(HWND hwnd, HWND, INT x, INT y, INT, INT, UINT) override {
        moves.emplace_back(x, y);
        if (Exists(hwnd)) {
            RECT& r = Get(hwnd).rect;
            r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
        }
        return 1;
    }

    BOOL GetMessageW(MSG* msg, HWND, UINT, UINT) override {
        if (queue.empty() && onIdle)
            onIdle();
        if (queue.empty())
            return -1;
        *msg = queue.front();
        queue.pop_front();
        return msg->message == WM_QUIT ? 0 : 1;
    }
    LRESULT DispatchMessageW(const MSG* msg) override {
        return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    }
    BOOL PostMessageW(HWND hwnd, UINT message, WPARAM w, LPARAM l) override {
        Post(hwnd, message, w, l);
        return 1;
    }
    void PostQuitMessage(INT code) override {
        quits.push_back(code);
        queue.push_back(MSG{HWND{}, WM_QUIT, static_cast<WPARAM>(code), 0, 0});
    }

    LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM w, LPARAM l) override {
        auto it = windows.find(hwnd.value);
        if (it == windows.end())
            return 0;
        Win& win = it->second;
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

    HWND CreateDialogIndirectW(const DialogTemplate& tmpl, HWND parent,
                               IWindowHandler* handler) override {
        const HWND dialog = NewWindow(handler, parent, tmpl.style, tmpl.caption);
        Get(dialog).rect = defaultRect;
        for (const DialogItemTemplate& item : tmpl.items) {
            const HWND c = NewWindow(nullptr, dialog, item.style, item.text ? item.text : u"");
            Get(c).id = item.id;
            controls[{dialog.value, item.id}] = c;
        }
        handler->WindowProc(dialog, WM_INITDIALOG, 0, 0);
        return dialog;
    }
    HWND GetDlgItem(HWND dialog, INT id) override { return Control(dialog, id); }

    // Top-level windows of other processes, for the single-instance search.
    std::vector<std::pair<HWND, DWORD>> others;  // (window, pid)
    BOOL EnumWindows(const WNDENUMPROC& callback) override {
        for (const auto& [hwnd, pid] : others)
            if (!callback(hwnd))
                break;
        return 1;
    }
    DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* pid) override {
        for (const auto& [h, p] : others)
            if (h == hwnd)
                *pid = p;
        return 1;
    }
    struct Box {
        std::u16string text, caption;
        UINT type;
    };
    std::vector<Box> boxes;
    INT MessageBoxW(HWND, const char16_t* text, const char16_t* caption, UINT type) override {
        boxes.push_back({text, caption, type});
        return IDOK;
    }
    HMENU LoadMenuW(WORD id) override { return HMENU{0x5000u + id}; }
    HWND GetWindow(HWND hwnd, UINT cmd) override {
        return cmd == GW_OWNER && Exists(hwnd) ? Get(hwnd).parent : HWND{};
    }

  private:
    HWND NewWindow(IWindowHandler* handler, HWND parent, DWORD style, std::u16string text) {
        const HWND h{next_++};
        Win& w = windows[h.value];
        w.handler = handler;
        w.parent = parent;
        w.style = style;
        w.visible = (style & WS_VISIBLE) != 0;
        w.text = std::move(text);
        return h;
    }
    std::uintptr_t next_ = 0x100;
};

class FrameworkShell : public IShell {
  public:
    std::vector<SHINITDLGINFO> initDialogs;
    int activations = 0;
    int settingChanges = 0;
    BOOL menuBar = 1;  // whether SHCreateMenuBar succeeds
    HWND menuBarWindow{0x9000};
    RECT workArea{0, 26, 240, 294};

    BOOL Shell_NotifyIcon(DWORD, const NOTIFYICONDATA&) override { return 1; }
    BOOL SHInitExtraControls() override { return 1; }
    BOOL SHInitDialog(const SHINITDLGINFO& info) override {
        initDialogs.push_back(info);
        return 1;
    }
    BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM) override { return ++activations, 1; }
    BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM) override { return ++settingChanges, 1; }
    BOOL SHCreateMenuBar(SHMENUBARINFO* info) override {
        if (!menuBar)
            return 0;
        info->hwndMB = menuBarWindow;
        return 1;
    }
    RECT GetWorkArea() override { return workArea; }
};

class FrameworkProcess : public IProcess {
  public:
    std::u16string path = u"\\Program Files\\Velk\\Velk.exe";
    DWORD lastError = 0;
    std::vector<std::u16string> mutexNames;
    std::map<DWORD, std::u16string> processFiles;  // pid -> program path
    INT priority = 3;
    std::vector<INT> priorities;  // SetThreadPriority calls
    std::vector<DWORD> sleeps;
    // Each sleep lets the world move on (a running copy's window may appear).
    std::function<void()> onSleep;

    DWORD GetModuleFileNameW(HMODULE, char16_t* buf, DWORD size) override {
        const auto n = std::min<std::size_t>(path.size(), size);
        path.copy(buf, n);
        return static_cast<DWORD>(n);
    }
    CString GetProcessFileName(DWORD pid, DWORD) override {
        auto it = processFiles.find(pid);
        return it == processFiles.end() ? CString{} : it->second;
    }
    HANDLE CreateMutexW(BOOL, const char16_t* name) override {
        mutexNames.emplace_back(name);
        return HANDLE{0x77};
    }
    DWORD GetLastError() override { return lastError; }
    INT GetThreadPriority() override { return priority; }
    BOOL SetThreadPriority(INT p) override {
        priorities.push_back(p);
        priority = p;
        return 1;
    }
    void Sleep(DWORD ms) override {
        sleeps.push_back(ms);
        if (onSleep)
            onSleep();
    }
    HMODULE LoadLibraryW(const char16_t*) override { return HMODULE{}; }
    FARPROC GetProcAddressW(HMODULE, const char16_t*) override { return FARPROC{}; }
    BOOL FreeLibrary(HMODULE) override { return 0; }
    BOOL CallUnregisterFunc1(FARPROC, UINT, UINT) override { return 0; }
};

class NullRegistry : public IRegistry {
  public:
    LONG RegOpenKeyExW(HKEY, const char16_t*, DWORD, DWORD, HKEY*) override {
        return ERROR_FILE_NOT_FOUND;
    }
    LONG RegCreateKeyExW(HKEY, const char16_t*, DWORD, DWORD, HKEY*, DWORD*) override {
        return ERROR_ACCESS_DENIED;
    }
    LONG RegQueryValueExW(HKEY, const char16_t*, DWORD*, BYTE*, DWORD*) override {
        return ERROR_FILE_NOT_FOUND;
    }
    LONG RegSetValueExW(HKEY, const char16_t*, DWORD, const BYTE*, DWORD) override {
        return ERROR_ACCESS_DENIED;
    }
    LONG RegCloseKey(HKEY) override { return ERROR_SUCCESS; }
};

class NullPower : public IPower {
  public:
    DWORD SetDevicePower(const char16_t*, DWORD, DWORD) override { return 1; }
    DWORD GetDevicePower(const char16_t*, DWORD, DWORD*) override { return 1; }
    BOOL KernelIoControl(DWORD, void*, DWORD, void*, DWORD, DWORD*) override { return 0; }
    HANDLE CreateEventW(BOOL, BOOL, const char16_t*) override { return HANDLE{}; }
    BOOL EventModify(HANDLE, DWORD) override { return 0; }
    BOOL CloseHandle(HANDLE) override { return 0; }
    void Sleep(DWORD) override {}
    void SystemIdleTimerReset() override {}
};

class NullBluetooth : public IBluetooth {
  public:
    INT BthSetMode(DWORD) override { return 1; }
    INT BthGetMode(DWORD*) override { return 1; }
};

// Everything together, with the seam bundle the framework is built with.
struct FrameworkWorld {
    FrameworkWindows windows;
    FrameworkShell shell;
    FrameworkProcess process;
    NullRegistry registry;
    NullPower power;
    NullBluetooth bluetooth;
    Platform platform{registry, windows, shell, power, bluetooth, process};
};

}  // namespace velk::test

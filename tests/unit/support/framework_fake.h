// The shell and process stand-ins of the framework's tests, and the seam bundle they make
// with the window system's fake and null registry, power and Bluetooth services.
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
    FakeWindowSystem windows;
    FrameworkShell shell;
    FrameworkProcess process;
    NullRegistry registry;
    NullPower power;
    NullBluetooth bluetooth;
    Platform platform{registry, windows, windows, shell, power, bluetooth, process};
};

}  // namespace velk::test

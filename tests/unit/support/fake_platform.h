// FakePower: answers every power call with a settable result and records the calls;
// with the window system's fake, what the engine and radio tests run on.
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

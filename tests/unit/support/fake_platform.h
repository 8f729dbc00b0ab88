// FakePower: answers every power call with a settable result and records the calls;
// with the desktop's and the window system's fakes, what the engine and radio tests run
// on.
#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/power.h"
#include "platform/strings.h"
#include "radio/radio_operations.h"
#include "tests/unit/support/fake_desktop_windows.h"
#include "tests/unit/support/fake_window_system.h"

namespace velk::test {

// Records the radio operations in order, with their force flag; the radios read as off.
class RecordingRadios : public IRadioOperations {
  public:
    void TurnBluetoothOn(INT force) override { Log("TurnBluetoothOn", force); }
    void TurnBluetoothOff(INT force) override { Log("TurnBluetoothOff", force); }
    INT IsBluetoothOn() override {
        calls.push_back("IsBluetoothOn");
        return 0;
    }
    void TurnWiFiOn(INT force) override { Log("TurnWiFiOn", force); }
    void TurnWiFiOff(INT force) override { Log("TurnWiFiOff", force); }
    INT IsWiFiOn() override {
        calls.push_back("IsWiFiOn");
        return 0;
    }
    std::vector<std::string> calls;

  private:
    void Log(const char* name, INT force) {
        calls.push_back(std::string(name) + "(" + std::to_string(force) + ")");
    }
};

// A compiled list: the entries folded, as the rule lists hold them.
inline CStringArray FoldedEntries(std::initializer_list<const char16_t*> entries) {
    CStringArray list;
    for (const char16_t* e : entries)
        list.push_back(Folded(e));
    return list;
}

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

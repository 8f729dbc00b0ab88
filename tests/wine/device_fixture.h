// The handheld's own libraries (device/: its core library, its Bluetooth utility library
// and its shell library, played by test libraries of the same names), installed into the
// throw-away prefix's system directory for one test and removed after it, so that every
// other test sees a desktop without them. The device's state and the log of every call
// live as device/device.h describes.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace velk::wintest {

// The system directory, with a trailing backslash.
std::wstring SystemDirectory();
// The test libraries' build folder, with a trailing backslash.
std::wstring DeviceLibraryDirectory();

inline constexpr const wchar_t* kDeviceLibraries[] = {L"coredll.dll", L"bthutil.dll",
                                                      L"aygshell.dll"};

// The device state (device/device.h) as a test sets and reads it.
namespace device {
void Reset(const std::wstring& log);  // no adapter, no stack; calls go to log
void Set(const std::wstring& name, ::DWORD value);
bool Get(const std::wstring& name, ::DWORD* value);
}  // namespace device

// A test with the device's libraries in the system directory and a fresh device state.
class OnTheDevice : public ProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The log's lines that begin with one of the prefixes, in order.
    std::vector<std::string> Calls(const std::vector<std::string>& prefixes) const;
    std::vector<std::string> AllCalls() const { return log_.Lines(); }

    TempFile log_{L"device"};

  private:
    std::vector<std::wstring> installed_;
};

}  // namespace velk::wintest

// What the Windows tests share: starting and stopping helper processes (the peer that
// plays the device's Bluetooth console, applications and WLAN service, and later the
// program itself), waiting for their windows, temporary log files and registry access
// that goes around the program's own code.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

#include "platform/win32/util.h"

namespace velk::wintest {

// A process the test started; stopped (terminated) at the latest when this goes.
class ChildProcess {
  public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) = default;
    ChildProcess& operator=(ChildProcess&&) = default;
    ~ChildProcess() { Stop(); }

    // Starts exe with the arguments (quoted as the runtime expects), in directory when one
    // is given; false on failure.
    bool Start(const std::wstring& exe, const std::vector<std::wstring>& args,
               const std::wstring& directory = {});
    bool Running() const;
    DWORD Id() const { return pid_; }
    // Waits for the process to end by itself; false on timeout.
    bool WaitForExit(DWORD milliseconds, DWORD* exitCode = nullptr);
    void Stop();

  private:
    win32::UniqueHandle process_;
    DWORD pid_ = 0;
};

// The directory of the running test program, with a trailing backslash.
std::wstring TestDirectory();
// The peer helper: $VELK_PEER, or velk_peer.exe next to the tests.
std::wstring PeerPath();
// The program under test: $VELK_EXE, or Velk.exe where the build puts it.
std::wstring ProgramPath();

// The peer's roles (see peer/velk_peer.cpp); each is running once the call returns true.
bool StartConsolePeer(ChildProcess& child, const std::wstring& log);
bool StartWindowPeer(ChildProcess& child, const std::wstring& caption);
bool StartEventsPeer(ChildProcess& child, const std::wstring& log);

// Polls condition until it holds or the time is up, dispatching this thread's messages.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);
// The top-level window with that caption, waiting for it to appear; null on timeout.
::HWND WaitForWindow(const std::wstring& caption, DWORD milliseconds = 10000);
// A top-level window of process pid with that caption (visible or not); null on timeout.
::HWND WaitForProcessWindow(DWORD pid, const std::wstring& caption, DWORD milliseconds = 10000);
// Caption of the foreground window (empty when none).
std::wstring ForegroundCaption();

// A file in the temporary directory, removed again when this goes.
class TempFile {
  public:
    explicit TempFile(const std::wstring& stem);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& Path() const { return path_; }
    std::vector<std::string> Lines() const;

  private:
    std::wstring path_;
};

// Registry access that does not go through the code under test.
namespace reg {
enum class Root { CurrentUser, LocalMachine };
void DeleteTree(Root root, const std::wstring& path);
bool KeyExists(Root root, const std::wstring& path);
// Number of values and of sub-keys of a key; false when it cannot be opened.
bool Counts(Root root, const std::wstring& path, ::DWORD* values, ::DWORD* subKeys);
bool SetValue(Root root, const std::wstring& path, const std::wstring& name, ::DWORD type,
              const void* data, ::DWORD size);
// Type and raw bytes of a value; false when it is absent.
bool GetValue(Root root, const std::wstring& path, const std::wstring& name, ::DWORD* type,
              std::vector<BYTE>* data);
}  // namespace reg

// Where the Widcomm stack keeps its radio state (StackMode), under HKLM.
inline const std::wstring kWidcommKey = L"SOFTWARE\\Widcomm\\BtConfig\\General";

// Every end-to-end test of the program starts from, and leaves behind, no stored
// settings and the Widcomm radio off.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        reg::DeleteTree(reg::Root::CurrentUser, L"software\\Velk");
        const ::DWORD off = 0;
        ASSERT_TRUE(
            reg::SetValue(reg::Root::LocalMachine, kWidcommKey, L"StackMode", REG_DWORD, &off, 4));
    }
    void TearDown() override {
        reg::DeleteTree(reg::Root::CurrentUser, L"software\\Velk");
        reg::DeleteTree(reg::Root::LocalMachine, L"SOFTWARE\\Widcomm");
    }
};

}  // namespace velk::wintest

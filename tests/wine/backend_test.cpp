// The win32 backend's own answers: registry roots and device-style paths, the device
// services that a desktop lacks, named events, the single-instance mutex, thread
// priority and run-time lookups.
#include <gtest/gtest.h>

#include "config/find_window_mode.h"

#include "platform/win32/platform.h"

#include "harness.h"

namespace velk::wintest {
namespace {

// The seam's HKEY_LOCAL_MACHINE (the desktop's macro hides the seam's name here).
const HKEY kLocalMachine{0x80000002u};
constexpr char16_t kWidcommPath[] = u"\\SOFTWARE\\Widcomm\\BtConfig\\General";

TEST(Win32RegistryTest, DevicePathsWithALeadingBackslashReachTheSameKey) {
    reg::DeleteTree(reg::Root::LocalMachine, L"SOFTWARE\\Widcomm");
    win32::Win32Registry registry;
    HKEY key;
    DWORD disposition = 0;
    ASSERT_EQ(registry.RegCreateKeyExW(kLocalMachine, kWidcommPath, REG_OPTION_NON_VOLATILE,
                                       KEY_ALL_ACCESS, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const DWORD one = 1;
    ASSERT_EQ(registry.RegSetValueExW(key, u"StackMode", REG_DWORD,
                                      reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.RegCloseKey(key), ERROR_SUCCESS);

    ::DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(reg::GetValue(reg::Root::LocalMachine, L"SOFTWARE\\Widcomm\\BtConfig\\General",
                              L"StackMode", &type, &data));
    EXPECT_EQ(data, (std::vector<BYTE>{1, 0, 0, 0}));

    ASSERT_EQ(registry.RegOpenKeyExW(kLocalMachine, kWidcommPath, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(registry.RegQueryValueExW(key, u"StackMode", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 4u);
    DWORD value = 0;
    DWORD valueType = 0;
    size = 4;
    EXPECT_EQ(registry.RegQueryValueExW(key, u"StackMode", &valueType,
                                        reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(valueType, REG_DWORD);
    registry.RegCloseKey(key);
    reg::DeleteTree(reg::Root::LocalMachine, L"SOFTWARE\\Widcomm");

    EXPECT_EQ(registry.RegOpenKeyExW(kLocalMachine, kWidcommPath, 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key);
}

TEST(Win32PowerTest, DeviceServicesMissingOnTheDesktopAnswerAsFailures) {
    win32::Win32Power power;
    DWORD state = 3;
    EXPECT_NE(
        power.SetDevicePower(u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1", POWER_NAME, D0),
        0u);
    EXPECT_NE(power.GetDevicePower(u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1", POWER_NAME,
                                   &state),
              0u);
    EXPECT_EQ(state, 3u);
    DWORD in = 1;
    EXPECT_FALSE(power.KernelIoControl(0x01010127, &in, 4, nullptr, 0, nullptr));
    power.SystemIdleTimerReset();  // the desktop's equivalent: must not fail or block

    win32::Win32Bluetooth bluetooth;
    DWORD mode = 5;
    EXPECT_NE(bluetooth.BthGetMode(&mode), 0);
    EXPECT_EQ(mode, 5u);
    EXPECT_NE(bluetooth.BthSetMode(1), 0);
}

TEST(Win32PowerTest, EventModifySetsAndResetsNamedEventsSharedByName) {
    win32::Win32Power power;
    const HANDLE mine = power.CreateEventW(FALSE, FALSE, u"VelkTestEvent");
    ASSERT_TRUE(mine);
    win32::UniqueHandle other(
        ::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, L"VelkTestEvent"));
    ASSERT_TRUE(other);
    EXPECT_TRUE(power.EventModify(mine, EVENT_SET));
    EXPECT_EQ(::WaitForSingleObject(other.get(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(::WaitForSingleObject(other.get(), 0), static_cast<::DWORD>(WAIT_TIMEOUT))
        << "auto-reset";
    EXPECT_TRUE(power.EventModify(mine, EVENT_SET));
    EXPECT_TRUE(power.EventModify(mine, EVENT_RESET));
    EXPECT_EQ(::WaitForSingleObject(other.get(), 0), static_cast<::DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(power.CloseHandle(mine));
}

TEST(Win32ProcessTest, TheMutexStaysOpenUntilTheBackendGoes) {
    const char16_t* name = u"C:/velk/single-instance-test";
    {
        win32::Win32Process process;
        EXPECT_TRUE(process.CreateMutexW(FALSE, name));
        EXPECT_NE(process.GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
        win32::Win32Process second;
        EXPECT_TRUE(second.CreateMutexW(FALSE, name));
        EXPECT_EQ(second.GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    }
    // Both owners are gone, so the name is free again.
    win32::UniqueHandle probe(::OpenMutexW(SYNCHRONIZE, FALSE, win32::Wide(name)));
    EXPECT_FALSE(probe);
}

TEST(Win32ProcessTest, ModuleAndProcessFileNamesAreFullPaths) {
    win32::Win32Process process;
    char16_t buf[260] = {};
    const DWORD n = process.GetModuleFileNameW(HMODULE{}, buf, 260);
    ASSERT_GT(n, 0u);
    const CString self(buf, n);
    EXPECT_EQ(process.GetProcessFileName(::GetCurrentProcessId(), 260), self);

    ChildProcess child;
    TempFile log(L"process");
    ASSERT_TRUE(StartEventsPeer(child, log.Path()));
    const CString peer = process.GetProcessFileName(child.Id(), 260);
    ASSERT_GE(peer.size(), 13u);
    EXPECT_EQ(peer.substr(peer.size() - 13), u"velk_peer.exe");
    EXPECT_EQ(process.GetProcessFileName(0xFFFFFFF0u, 260), u"");
}

TEST(Win32ProcessTest, DeviceIdleLevelLowersThePriorityAndTheOldValueRestoresIt) {
    win32::Win32Process process;
    const INT before = process.GetThreadPriority();
    EXPECT_TRUE(process.SetThreadPriority(THREAD_PRIORITY_IDLE_CE));
    EXPECT_EQ(::GetThreadPriority(::GetCurrentThread()), THREAD_PRIORITY_IDLE);
    EXPECT_TRUE(process.SetThreadPriority(before));
    EXPECT_EQ(process.GetThreadPriority(), before);
}

TEST(Win32ProcessTest, LibrariesAndFunctionsAreFoundByWideName) {
    win32::Win32Process process;
    const HMODULE kernel = process.LoadLibraryW(u"kernel32.dll");
    ASSERT_TRUE(kernel);
    EXPECT_TRUE(process.GetProcAddressW(kernel, u"GetTickCount"));
    EXPECT_FALSE(process.GetProcAddressW(kernel, u"UnregisterFunc1"));
    EXPECT_TRUE(process.FreeLibrary(kernel));
    // The hot-key helper of the device is not there: the lookup answers null.
    EXPECT_FALSE(process.LoadLibraryW(u"coredll.dll"));
    EXPECT_FALSE(process.CallUnregisterFunc1(FARPROC{}, kShellReleaseModifiers, VK_APP1));
}

}  // namespace
}  // namespace velk::wintest

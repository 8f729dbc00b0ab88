// Handles the backend hands to the program are released by the backend itself when the
// program forgets one, so no path can leak an event or a library.
#include <gtest/gtest.h>

#include "platform/win32/platform.h"

#include "harness.h"

namespace velk::wintest {
namespace {

bool NamedEventExists(const wchar_t* name) {
    ::HANDLE h = ::OpenEventW(SYNCHRONIZE, FALSE, name);
    if (!h)
        return false;
    ::CloseHandle(h);
    return true;
}

TEST(Win32HandlesTest, EventsAreClosedByTheCallerOrWithTheBackend) {
    {
        win32::Win32Power power;
        const HANDLE closed = power.CreateEventW(0, 0, u"VelkProbeClosed");
        const HANDLE forgotten = power.CreateEventW(0, 0, u"VelkProbeForgotten");
        ASSERT_TRUE(closed);
        ASSERT_TRUE(forgotten);
        EXPECT_EQ(power.CloseHandle(closed), 1);
        EXPECT_FALSE(NamedEventExists(L"VelkProbeClosed"));
        EXPECT_TRUE(NamedEventExists(L"VelkProbeForgotten"));
    }
    EXPECT_FALSE(NamedEventExists(L"VelkProbeForgotten"));
}

TEST(Win32HandlesTest, LibrariesAreFreedByTheCallerOrWithTheBackend) {
    // A library nothing else in this process loads, so its presence counts only ours.
    const wchar_t* name = L"msimg32.dll";
    ASSERT_EQ(::GetModuleHandleW(name), nullptr);
    {
        win32::Win32Process process;
        const HMODULE first = process.LoadLibraryW(u"msimg32.dll");
        const HMODULE second = process.LoadLibraryW(u"msimg32.dll");
        ASSERT_TRUE(first);
        EXPECT_EQ(first, second);
        EXPECT_EQ(process.FreeLibrary(first), 1);
        EXPECT_NE(::GetModuleHandleW(name), nullptr);  // the second load is still held
    }
    EXPECT_EQ(::GetModuleHandleW(name), nullptr);
}

}  // namespace
}  // namespace velk::wintest

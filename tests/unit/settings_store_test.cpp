#include "config/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "platform/sim/registry.h"
#include "tests/unit/support/module_process.h"

namespace velk {
namespace {

using testing_support::ModuleName;
using testing_support::Utf16Bytes;

using sim::SimRegistry;

// Only the module file name is asked for.

constexpr char16_t kPath[] = u"software\\Velk\\Velk\\Settings";

class SettingsStoreTest : public ::testing::Test {
  protected:
    SettingsStoreTest() { store.SetRegistryKey(u"Velk"); }

    std::vector<std::string> Calls() const {
        std::vector<std::string> out;
        for (const auto& e : trace.Entries())
            out.push_back(e.name + "(" + e.args + ")");
        return out;
    }

    sim::Trace trace;
    sim::Clock clock;
    SimRegistry reg{trace, clock};
    ModuleName process{u"\\Windows\\Velk.exe"};
    RegistryProfile store{reg, process};
};

TEST_F(SettingsStoreTest, FirstStartReadsDefaultsAndLeavesTheEmptyKeyPath) {
    EXPECT_EQ(process.calls, 1);
    EXPECT_EQ(process.lastSize, 260u);
    EXPECT_EQ(store.ApplicationName(), u"Velk");
    EXPECT_EQ(store.GetProfileInt(kSettingsSection, kDefaultAction, 0), 0);
    EXPECT_EQ(store.GetProfileInt(kSettingsSection, kBTControl, 42), 42);
    EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, kOnListDefault), kOnListDefault);
    EXPECT_TRUE(reg.KeyExists(HKEY_CURRENT_USER, kPath));
    const sim::RegKey* settings = reg.Trees().currentUser.Find(u"software");
    for (const char16_t* name : {u"Velk", u"Velk", u"Settings"}) {
        ASSERT_NE(settings, nullptr);
        EXPECT_TRUE(settings->values.empty());
        settings = settings->Find(name);
    }
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->values.empty());
    EXPECT_TRUE(settings->subkeys.empty());
    EXPECT_EQ(settings->name, u"Settings");
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SettingsStoreTest, AnIntegerReadMakesExactlyTheseCalls) {
    store.GetProfileInt(kSettingsSection, kDefaultAction, 0);  // first start: creates the path
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "RegOpenKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                           "RegCreateKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                           "RegCloseKey(0x1000)",
                           "RegOpenKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x1004, \"Velk\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x1008, \"Velk\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x100C, \"Settings\", 0, 0x2001F)",
                           "RegCloseKey(0x1004)",
                           "RegCloseKey(0x1008)",
                           "RegCloseKey(0x100C)",
                           "RegQueryValueExW(0x1010, \"DefaultAction\", buffer, 4)",
                           "RegCloseKey(0x1010)",
                       }));
    store.GetProfileString(kSettingsSection, kOnList, kOnListDefault);  // missing: one query
    EXPECT_EQ(trace.Entries()[trace.Entries().size() - 2].args, "0x1024, \"OnList\", null, 0");
    reg.SetString(HKEY_CURRENT_USER, kPath, kOnList, u"ab");
    trace.Clear();
    EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, kOnListDefault), u"ab");
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           // "software" exists now: opened, not created
                           "RegOpenKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                           "RegCloseKey(0x1028)",
                           "RegOpenKeyExW(HKEY_CURRENT_USER, \"software\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x102C, \"Velk\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x1030, \"Velk\", 0, 0x2001F)",
                           "RegCreateKeyExW(0x1034, \"Settings\", 0, 0x2001F)",
                           "RegCloseKey(0x102C)",
                           "RegCloseKey(0x1030)",
                           "RegCloseKey(0x1034)",
                           "RegQueryValueExW(0x1038, \"OnList\", null, 0)",
                           "RegQueryValueExW(0x1038, \"OnList\", buffer, 6)",
                           "RegCloseKey(0x1038)",
                       }));
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SettingsStoreTest, ValuesRoundTrip) {
    for (INT v : {0, 1, -1, 2, INT_MAX, INT_MIN}) {
        EXPECT_TRUE(store.WriteProfileInt(kSettingsSection, kDefControl, v));
        EXPECT_EQ(store.GetProfileInt(kSettingsSection, kDefControl, 99), v);
    }
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, kPath, kDefControl),
              (SimRegistry::Value{REG_DWORD, {0, 0, 0, 0x80}}));
    store.WriteProfileInt(kSettingsSection, kDefControl, -1);
    EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, kPath, kDefControl),
              (SimRegistry::Value{REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}}));

    const std::u16string texts[] = {u"", u"Word; Excel ", u"#bBluetooth;Привет;\U0001F600",
                                    std::u16string(10000, u'x')};
    for (const auto& t : texts) {
        EXPECT_TRUE(store.WriteProfileString(kSettingsSection, kOnList, t));
        EXPECT_EQ(reg.GetValue(HKEY_CURRENT_USER, kPath, kOnList),
                  (SimRegistry::Value{REG_SZ, Utf16Bytes(t, true)}));
        // An empty text is a stored text, not a missing one.
        EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, u"default"), t);
    }
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SettingsStoreTest, IntegerReadsTakeFourBytesOfAnyTypeAndNothingLonger) {
    struct Case {
        DWORD type;
        std::vector<BYTE> data;
        INT expected;
    };
    const Case cases[] = {
        {REG_DWORD, {7, 0, 0, 0}, 7},
        {REG_BINARY, {0x78, 0x56, 0x34, 0x12}, 0x12345678},
        {REG_SZ, {0x31, 0, 0, 0}, 0x31},            // "1" as text: its four bytes
        {REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}, -5},  // longer than four: the default
        {REG_SZ, Utf16Bytes(u"12", true), -5},      // six bytes: the default
        {REG_BINARY, {0x34, 0x12}, 0x1234},         // shorter: the rest is zero
        {REG_BINARY, {0xFF}, 0xFF},
        {REG_BINARY, {}, 0},
    };
    for (const auto& c : cases) {
        reg.SetValue(HKEY_CURRENT_USER, kPath, kKeepPDAOn, c.type, c.data);
        EXPECT_EQ(store.GetProfileInt(kSettingsSection, kKeepPDAOn, -5), c.expected)
            << c.data.size() << " bytes of type " << c.type;
    }
}

TEST_F(SettingsStoreTest, TextReadsNeverGoPastTheStoredData) {
    struct Case {
        std::vector<BYTE> data;
        std::u16string expected;
    };
    const Case cases[] = {
        {Utf16Bytes(u"abc", true), u"abc"},
        {Utf16Bytes(u"abc", false), u"abc"},  // no final null
        {{0x61, 0, 0x62, 0, 0x63}, u"ab"},    // odd size: the whole characters
        {{0x61}, u""},
        {Utf16Bytes(u"ab\0cd", true), u"ab"},  // up to the first null
        {{0, 0}, u""},
        {{}, u""},
    };
    for (const auto& c : cases) {
        reg.SetValue(HKEY_CURRENT_USER, kPath, kOffList, REG_SZ, c.data);
        EXPECT_EQ(store.GetProfileString(kSettingsSection, kOffList, kOffListDefault), c.expected)
            << c.data.size() << " bytes";
    }
}

TEST_F(SettingsStoreTest, ASectionThatCannotBeReachedGivesDefaultsAndFailedWrites) {
    struct Case {
        const char* operation;
        int count;
    };
    // Software opened both times, then each level of the path refused in turn.
    const Case cases[] = {{"RegOpenKeyExW", 2}, {"RegCreateKeyExW", 1}};
    store.GetProfileInt(kSettingsSection, kDefaultAction, 0);  // the path exists from now on
    for (const auto& c : cases) {
        reg.FailNext(c.operation, ERROR_ACCESS_DENIED, c.count);
        EXPECT_EQ(store.GetProfileInt(kSettingsSection, kDefaultAction, 3), 3) << c.operation;
        reg.FailNext(c.operation, ERROR_ACCESS_DENIED, c.count);
        EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, u"d"), u"d");
        reg.FailNext(c.operation, ERROR_ACCESS_DENIED, c.count);
        EXPECT_FALSE(store.WriteProfileInt(kSettingsSection, kDefaultAction, 1));
        reg.FailNext(c.operation, ERROR_ACCESS_DENIED, c.count);
        EXPECT_FALSE(store.WriteProfileString(kSettingsSection, kOnList, u"x"));
        EXPECT_EQ(reg.OpenHandleCount(), 0u) << c.operation;
    }
    EXPECT_FALSE(reg.GetValue(HKEY_CURRENT_USER, kPath, kDefaultAction));

    // A path that breaks off at "Settings" closes the levels it had opened.
    trace.Clear();
    reg.SetValue(HKEY_CURRENT_USER, kPath, kOnList, REG_SZ, Utf16Bytes(u"stored", true));
    EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, u"d"), u"stored");
    const std::size_t creates = trace.Count("RegCreateKeyExW");
    ASSERT_EQ(creates, 3u);
    // Refuse the third create of the next opening, the section's own.
    trace.Clear();
    int seen = 0;
    trace.SetListener([&](const sim::TraceEntry& e) {
        if (e.name == "RegCreateKeyExW" && ++seen == 3)
            reg.FailNext("RegCreateKeyExW", 5);
    });
    EXPECT_EQ(store.GetProfileString(kSettingsSection, kOnList, u"d"), u"d");
    trace.SetListener(nullptr);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
    // "software" after its first opening, then software, key word and application.
    EXPECT_EQ(trace.Count("RegCloseKey"), 4u);

    // The set call itself failing.
    reg.FailNext("RegSetValueExW", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(store.WriteProfileInt(kSettingsSection, kDefaultAction, 1));
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

TEST_F(SettingsStoreTest, AnotherProgramNameUsesAnotherKey) {
    store.WriteProfileInt(kSettingsSection, kDefControl, 1);
    ModuleName other(u"\\Program Files\\Tools\\Switch.v2.exe");
    RegistryProfile renamed(reg, other);
    renamed.SetRegistryKey(u"Velk");
    EXPECT_EQ(renamed.ApplicationName(), u"Switch.v2");
    EXPECT_EQ(renamed.GetProfileInt(kSettingsSection, kDefControl, 0), 0);
    EXPECT_TRUE(reg.KeyExists(HKEY_CURRENT_USER, u"software\\Velk\\Switch.v2\\Settings"));
}

// A program deep in folders is still known by its own file name, never by what a
// path-sized buffer happened to keep of its path.
TEST_F(SettingsStoreTest, ADeepProgramPathGivesTheProgramsOwnName) {
    for (const std::size_t folderChars : {200u, 250u, 258u, 259u, 260u, 300u, 600u, 5000u}) {
        const std::u16string path = u"\\" + std::u16string(folderChars, u'd') + u"\\Velk.exe";
        ModuleName deep(path);
        RegistryProfile profile(reg, deep);
        EXPECT_EQ(profile.ApplicationName(), u"Velk") << folderChars;
    }
}

TEST(ApplicationNameFromPath, StripsDirectoryAndLastExtension) {
    struct Case {
        std::u16string path, name;
    };
    const Case cases[] = {
        {u"\\Windows\\Velk.exe", u"Velk"},
        {u"/usr/bin/velk-sim", u"velk-sim"},
        {u"C:\\a.b\\c", u"c"},
        {u"a.b.c", u"a.b"},
        {u"Velk", u"Velk"},
        {u"\\dir\\", u""},
        {u"C:/mixed\\dirs/App.EXE", u"App"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ApplicationNameFromPath(c.path), c.name);
}

}  // namespace
}  // namespace velk

// The settings store on the desktop's real registry (the throw-away Wine prefix's
// HKEY_CURRENT_USER), through the win32 backend.
#include <gtest/gtest.h>

#include <set>

#include "config/settings.h"
#include "platform/win32/process.h"
#include "platform/win32/registry.h"

#include "harness.h"

namespace velk::wintest {
namespace {

// Passes every call to the real registry, keeps the keys it handed out, and can make
// the n-th open-or-create fail to reach the store's error paths.
class CountingRegistry : public IRegistry {
  public:
    explicit CountingRegistry(IRegistry& real) : real_(real) {}

    LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD sam,
                       HKEY* result) override {
        if (Fail())
            return ERROR_ACCESS_DENIED;
        const LONG rc = real_.RegOpenKeyExW(key, subKey, options, sam, result);
        if (rc == ERROR_SUCCESS)
            open_.insert(result->value);
        return rc;
    }
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD sam, HKEY* result,
                         DWORD* disposition) override {
        if (Fail())
            return ERROR_ACCESS_DENIED;
        const LONG rc = real_.RegCreateKeyExW(key, subKey, options, sam, result, disposition);
        if (rc == ERROR_SUCCESS)
            open_.insert(result->value);
        return rc;
    }
    LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* type, BYTE* data,
                          DWORD* cbData) override {
        return real_.RegQueryValueExW(key, name, type, data, cbData);
    }
    LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD type, const BYTE* data,
                        DWORD cbData) override {
        return real_.RegSetValueExW(key, name, type, data, cbData);
    }
    LONG RegCloseKey(HKEY key) override {
        if (open_.erase(key.value) == 0)
            ++strayCloses_;
        return real_.RegCloseKey(key);
    }

    std::size_t OpenKeys() const { return open_.size(); }
    int StrayCloses() const { return strayCloses_; }
    int Opens() const { return opens_; }
    void FailAt(int n) {
        failAt_ = n;
        opens_ = 0;
    }

  private:
    bool Fail() { return ++opens_ == failAt_; }

    IRegistry& real_;
    std::multiset<std::uintptr_t> open_;
    int strayCloses_ = 0;
    int opens_ = 0;
    int failAt_ = 0;
};

class SettingsStoreOnWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        reg::DeleteTree(reg::Root::CurrentUser, L"software\\Velk");
        store_.SetRegistryKey(u"Velk");
    }
    void TearDown() override { reg::DeleteTree(reg::Root::CurrentUser, L"software\\Velk"); }

    // software\Velk\<this program's name>\Settings
    std::wstring SectionPath() const {
        const CString& app = store_.ApplicationName();
        return L"software\\Velk\\" + std::wstring(app.begin(), app.end()) + L"\\Settings";
    }
    void ExpectNoLeak() {
        EXPECT_EQ(counting_.OpenKeys(), 0u) << "keys left open";
        EXPECT_EQ(counting_.StrayCloses(), 0) << "keys closed that were never opened";
    }

    win32::Win32Registry real_;
    win32::Win32Process process_;
    CountingRegistry counting_{real_};
    RegistryProfile store_{counting_, process_};
};

TEST_F(SettingsStoreOnWindows, ApplicationNameIsTheProgramsFileNameWithoutExtension) {
    wchar_t path[MAX_PATH];
    const ::DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    name.resize(name.rfind(L'.'));
    EXPECT_EQ(store_.ApplicationName(), CString(win32::Seam(name.c_str())));
}

TEST_F(SettingsStoreOnWindows, FirstReadGivesDefaultsAndLeavesTheEmptyKeyPath) {
    EXPECT_FALSE(reg::KeyExists(reg::Root::CurrentUser, L"software\\Velk"));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kDefaultAction, 0), 0);
    EXPECT_EQ(store_.GetProfileString(kSettingsSection, kOnRunList, kOnRunListDefault),
              u"Internet explorer;#bBluetooth;");
    ::DWORD values = 99, subKeys = 99;
    ASSERT_TRUE(reg::Counts(reg::Root::CurrentUser, SectionPath(), &values, &subKeys));
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(subKeys, 0u);
    ExpectNoLeak();
}

TEST_F(SettingsStoreOnWindows, MinusOneIsStoredAsAllOnesDwordAndReadsBack) {
    EXPECT_TRUE(store_.WriteProfileInt(kSettingsSection, kBTControl, -1));
    ::DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(reg::GetValue(reg::Root::CurrentUser, SectionPath(), L"BTControl", &type, &data));
    EXPECT_EQ(type, static_cast<::DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kBTControl, 0), -1);
    ExpectNoLeak();
}

TEST_F(SettingsStoreOnWindows, TextIsStoredWithItsTerminatorAndEmptyTextIsNotTheDefault) {
    EXPECT_TRUE(store_.WriteProfileString(kSettingsSection, kOffList, u"HR: ;Mail"));
    ::DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(reg::GetValue(reg::Root::CurrentUser, SectionPath(), L"OffList", &type, &data));
    EXPECT_EQ(type, static_cast<::DWORD>(REG_SZ));
    EXPECT_EQ(data.size(), (9u + 1) * 2);
    EXPECT_EQ(store_.GetProfileString(kSettingsSection, kOffList, kOffListDefault), u"HR: ;Mail");

    EXPECT_TRUE(store_.WriteProfileString(kSettingsSection, kOnList, u""));
    ASSERT_TRUE(reg::GetValue(reg::Root::CurrentUser, SectionPath(), L"OnList", &type, &data));
    EXPECT_EQ(data, (std::vector<BYTE>{0, 0}));
    EXPECT_EQ(store_.GetProfileString(kSettingsSection, kOnList, kOnListDefault), u"");
    ExpectNoLeak();
}

TEST_F(SettingsStoreOnWindows, IntegerReadTakesExactlyFourBytesOfAnyType) {
    const BYTE eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, SectionPath(), L"DefaultAction", REG_BINARY,
                              eight, 8));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kDefaultAction, 42), 42);
    ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, SectionPath(), L"DefaultAction", REG_QWORD,
                              eight, 8));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kDefaultAction, 42), 42);

    const BYTE four[4] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_TRUE(
        reg::SetValue(reg::Root::CurrentUser, SectionPath(), L"KeepPDAOn", REG_BINARY, four, 4));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kKeepPDAOn, 0), 0x12345678);
    ExpectNoLeak();
}

TEST_F(SettingsStoreOnWindows, AnotherProgramNameStartsFromTheDefaults) {
    ASSERT_TRUE(store_.WriteProfileInt(kSettingsSection, kDefControl, 1));

    // The same store under another program file name.
    class Renamed : public win32::Win32Process {
      public:
        DWORD GetModuleFileNameW(HMODULE, char16_t* buf, DWORD size) override {
            const CString path = u"C:\\Program Files\\Other.exe";
            const DWORD n = std::min<DWORD>(size - 1, static_cast<DWORD>(path.size()));
            std::copy_n(path.begin(), n, buf);
            buf[n] = 0;
            return n;
        }
    } renamed;
    RegistryProfile other(counting_, renamed);
    other.SetRegistryKey(u"Velk");
    EXPECT_EQ(other.GetProfileInt(kSettingsSection, kDefControl, 0), 0);
    EXPECT_TRUE(reg::KeyExists(reg::Root::CurrentUser, L"software\\Velk\\Other\\Settings"));
    EXPECT_EQ(store_.GetProfileInt(kSettingsSection, kDefControl, 0), 1);
    ExpectNoLeak();
}

TEST_F(SettingsStoreOnWindows, EveryFailedStepOfThePathClosesWhatItOpened) {
    ASSERT_TRUE(store_.WriteProfileInt(kSettingsSection, kDefaultAction, 2));
    ASSERT_TRUE(store_.WriteProfileString(kSettingsSection, kOnList, u"Notes;"));
    // One read opens "software" twice and creates three levels: make each of them fail.
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        counting_.FailAt(step);
        const INT i = store_.GetProfileInt(kSettingsSection, kDefaultAction, 7);
        counting_.FailAt(step);
        const CString s = store_.GetProfileString(kSettingsSection, kOnList, u"default");
        counting_.FailAt(step);
        const BOOL written = store_.WriteProfileInt(kSettingsSection, kWFDefaultAction, 1);
        // The first opening of "software" may fail: the store then creates it instead.
        if (step == 1) {
            EXPECT_EQ(i, 2);
            EXPECT_EQ(s, u"Notes;");
        } else {
            EXPECT_EQ(i, 7);
            EXPECT_EQ(s, u"default");
            EXPECT_FALSE(written);
        }
        ExpectNoLeak();
    }
    counting_.FailAt(0);
}

TEST_F(SettingsStoreOnWindows, ReadsAndWritesDoNotGrowTheProcessHandleTable) {
    ::DWORD before = 0, after = 0;
    store_.GetProfileInt(kSettingsSection, kDefaultAction, 0);  // warm up
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &before));
    for (int i = 0; i < 50; ++i) {
        store_.WriteProfileInt(kSettingsSection, kDefaultAction, i);
        store_.GetProfileInt(kSettingsSection, kDefaultAction, 0);
        store_.WriteProfileString(kSettingsSection, kOnList, u"x;");
        store_.GetProfileString(kSettingsSection, kOnList, u"");
    }
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &after));
    EXPECT_LE(after, before + 2);
}

}  // namespace
}  // namespace velk::wintest

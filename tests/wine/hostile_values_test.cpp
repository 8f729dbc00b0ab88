// Hostile values in the real registry where Velk.exe keeps its settings: values of the
// wrong type, odd lengths, texts without their terminator, a list text of a megabyte.
// For each, the program starts, reads by its read rules (an integer is the four bytes
// stored whatever their type, the default when there are more; a text is the whole
// characters up to the first null), runs its rules, shows the settings dialog with what
// it read, and OK stores clean values: four-byte REG_DWORDs and terminated REG_SZs.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "program.h"

namespace velk::wintest {
namespace {

struct Stored {
    const wchar_t* name;
    ::DWORD type;
    std::vector<BYTE> bytes;
};

std::vector<BYTE> Bytes(std::initializer_list<int> values) {
    std::vector<BYTE> out;
    for (int v : values)
        out.push_back(static_cast<BYTE>(v));
    return out;
}

std::vector<BYTE> Utf16(const std::wstring& text, bool terminated = true) {
    std::vector<BYTE> out(reinterpret_cast<const BYTE*>(text.data()),
                          reinterpret_cast<const BYTE*>(text.data() + text.size()));
    if (terminated)
        out.insert(out.end(), {0, 0});
    return out;
}

// What the dialog shows for one setting, and so what OK stores.
struct Shown {
    const wchar_t* name;
    int control;
    std::optional<int> selection;  // combo boxes
    std::wstring text;             // edits
};

struct HostileRow {
    const char* name;
    std::vector<Stored> stored;
    std::vector<Shown> shown;
};

// A list text of a megabyte: forty thousand entries, the last the browser's caption.
std::wstring MegabyteList() {
    std::wstring text;
    for (int i = 0; text.size() * 2 < (1u << 20) - 64; ++i)
        text += L"Entry " + std::to_wstring(100000 + i) + L";";
    return text + L"Internet explorer";
}

const HostileRow kRows[] = {
    {"TextStoredAsDword",
     {{L"OnList", REG_DWORD, Bytes({'b', 0, 'a', 0})}},
     {{L"OnList", IDC_ON_LIST, {}, L"ba"}}},
    {"IntegersStoredAsText",
     {{L"DefaultAction", REG_SZ, Bytes({2, 0, 0, 0})},   // four bytes: read as they are
      {L"WFDefaultAction", REG_SZ, Utf16(L"Turn On")}},  // more than four: the default
     {{L"DefaultAction", IDC_DEFAULT_ACTION, 2, L""},
      {L"WFDefaultAction", IDC_WF_DEFAULT_ACTION, 0, L""}}},
    {"MultiStringGivesItsFirstString",
     {{L"OffList", REG_MULTI_SZ, Utf16(std::wstring(L"Games\0Mail\0", 11))}},
     {{L"OffList", IDC_OFF_LIST, {}, L"Games"}}},
    {"OddLengthsGiveTheWholeCharacters",
     {{L"OnRunList", REG_SZ, Bytes({'C', 0, 'a', 0, 'l', 0, 'c', 0, 0})},
      {L"OnList", REG_BINARY, Bytes({'W', 0, 'o', 0, 'r'})},
      {L"BTControl", REG_BINARY, Bytes({2})},
      {L"DefControl", REG_BINARY, Bytes({1, 0, 0, 0, 0})}},
     {{L"OnRunList", IDC_ON_RUN_LIST, {}, L"Calc"},
      {L"OnList", IDC_ON_LIST, {}, L"Wo"},
      {L"BTControl", IDC_BT_CONTROL, 2, L""},
      {L"DefControl", IDC_DEF_CONTROL, 0, L""}}},
    {"TextWithoutItsTerminator",
     {{L"OffList", REG_SZ, Utf16(L"HR: ;Games", false)},
      {L"OnList", REG_EXPAND_SZ, Utf16(L"%TEMP%;Word", false)}},
     {{L"OffList", IDC_OFF_LIST, {}, L"HR: ;Games"}, {L"OnList", IDC_ON_LIST, {}, L"%TEMP%;Word"}}},
    {"EmptyValuesOfEveryKind",
     {{L"OnList", REG_SZ, {}}, {L"KeepPDAOn", REG_DWORD, {}}, {L"OffList", REG_BINARY, {}}},
     {{L"OnList", IDC_ON_LIST, {}, L""}, {L"OffList", IDC_OFF_LIST, {}, L""}}},
};

class HostileValues : public DrivenProgram, public ::testing::WithParamInterface<HostileRow> {};

// Every one of the nine values is stored clean: integers as four-byte REG_DWORDs, texts
// as REG_SZ with exactly one terminating null at the end.
void ExpectAllStoredClean() {
    for (const wchar_t* name : {L"DefaultAction", L"WFDefaultAction", L"BTControl", L"DefControl",
                                L"OffTakesPrecedence", L"KeepPDAOn"}) {
        ::DWORD type = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data));
        EXPECT_EQ(type, static_cast<::DWORD>(REG_DWORD)) << ::testing::PrintToString(name);
        EXPECT_EQ(data.size(), 4u) << ::testing::PrintToString(name);
    }
    for (const wchar_t* name : {L"OnList", L"OffList", L"OnRunList"}) {
        ::DWORD type = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(reg::GetValue(reg::Root::CurrentUser, kSettingsKey, name, &type, &data));
        EXPECT_EQ(type, static_cast<::DWORD>(REG_SZ)) << ::testing::PrintToString(name);
        ASSERT_TRUE(data.size() >= 2 && data.size() % 2 == 0) << data.size();
        std::wstring text(data.size() / 2, L'\0');
        std::memcpy(text.data(), data.data(), data.size());
        EXPECT_EQ(text.find(L'\0'), text.size() - 1) << ::testing::PrintToString(name);
    }
}

TEST_P(HostileValues, StartShowAndStoreClean) {
    const HostileRow& row = GetParam();
    for (const Stored& value : row.stored) {
        ASSERT_TRUE(reg::SetValue(reg::Root::CurrentUser, kSettingsKey, value.name, value.type,
                                  value.bytes.data(), static_cast<::DWORD>(value.bytes.size())));
    }
    const ::HWND dialog = OpenSettings({L"100"});
    ASSERT_TRUE(dialog);
    for (const Shown& shown : row.shown) {
        if (shown.selection)
            EXPECT_EQ(SendTo(dialog, shown.control, CB_GETCURSEL), *shown.selection)
                << ::testing::PrintToString(shown.name);
        else
            EXPECT_EQ(ControlText(dialog, shown.control), shown.text)
                << ::testing::PrintToString(shown.name);
    }
    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    ExpectAllStoredClean();
    for (const Shown& shown : row.shown) {
        if (shown.selection)
            EXPECT_TRUE(StoredInt(shown.name, static_cast<::DWORD>(*shown.selection)));
        else
            EXPECT_TRUE(StoredText(shown.name, shown.text));
    }
    EXPECT_TRUE(velk_.Running());
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileValues, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DrivenProgram, AMegabyteListIsReadRunAndStoredBackWhole) {
    const std::wstring list = MegabyteList();
    StoreText(L"OnRunList", L"");
    StoreText(L"OnList", list);
    TempFile log(L"console-megabyte");
    ChildProcess console;
    ASSERT_TRUE(StartConsolePeer(console, log.Path()));
    const ::HWND dialog = OpenSettings({L"100"});
    ASSERT_TRUE(dialog);
    EXPECT_EQ(ControlText(dialog, IDC_ON_LIST).size(), list.size());
    Click(dialog, IDOK);
    ASSERT_TRUE(WaitForSettingsClosed(dialog));
    ExpectAllStoredClean();
    EXPECT_TRUE(StoredText(L"OnList", list));

    // The list's last entry still acts: the browser in front turns Bluetooth on.
    ChildProcess browser;
    ASSERT_TRUE(StartSettledWindowPeer(browser, L"Internet explorer"));
    EXPECT_TRUE(WaitUntil([&] { return !log.Lines().empty(); }));
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"4098 0"}));
}

}  // namespace
}  // namespace velk::wintest

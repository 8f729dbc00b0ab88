#include "engine/rule_lists.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <vector>

#include "platform/sim/registry.h"
#include "tests/unit/support/module_process.h"

namespace velk {
namespace {

using testing_support::ModuleName;

using Entries = std::vector<std::u16string>;

struct CompileCase {
    const char* what;
    std::u16string text;
    INT defControl;
    Entries bt, wf;
};

class CompileListTest : public ::testing::TestWithParam<CompileCase> {};

TEST_P(CompileListTest, YieldsTheseEntries) {
    const auto& c = GetParam();
    CStringArray bt{u"stale"}, wf{u"stale", u"too"};
    CompileList(c.text, c.defControl, bt, wf);
    EXPECT_EQ(bt, c.bt);
    EXPECT_EQ(wf, c.wf);
    // A second compile gives the same arrays, not twice the entries.
    CompileList(c.text, c.defControl, bt, wf);
    EXPECT_EQ(bt, c.bt);
    EXPECT_EQ(wf, c.wf);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CompileListTest,
    ::testing::Values(
        CompileCase{"empty", u"", 0, {}, {}},
        CompileCase{"only white space", u" \t\r\n\v\f\x3000", 1, {}, {}},
        CompileCase{"only separators", u";;;", 0, {}, {}},
        CompileCase{"no final separator", u"Word", 0, {u"word"}, {}},
        CompileCase{"empty entries dropped", u"a;;b;", 0, {u"a", u"b"}, {}},
        CompileCase{"leading separator", u";a;b", 0, {u"a", u"b"}, {}},
        CompileCase{"white space inside stays", u"  Word ; Excel  ", 0, {u"word ", u" excel"}, {}},
        CompileCase{"trailing blank after separator", u"HR: ;", 0, {u"hr: "}, {}},
        CompileCase{"prefixes", u"#bA;#wB;#BC;#WD;E", 0, {u"a", u"c", u"e"}, {u"b", u"d"}},
        CompileCase{"default WiFi", u"#bA;#wB;E", 1, {u"a"}, {u"b", u"e"}},
        CompileCase{"other default codes mean Bluetooth", u"E", 2, {u"e"}, {}},
        CompileCase{"minus one means Bluetooth", u"E", -1, {u"e"}, {}},
        CompileCase{"prefix alone is empty", u"#b;#W;", 1, {}, {}},
        CompileCase{"prefix alone without separator", u"#b", 0, {}, {}},
        CompileCase{"hash alone", u"#", 1, {}, {u"#"}},
        CompileCase{
            "unknown hash sequences", u"#x1;##bA;#;#", 0, {u"#x1", u"##ba", u"#", u"#"}, {}},
        CompileCase{"only the first prefix counts", u"#b#wA", 1, {u"#wa"}, {}},
        CompileCase{"blank before prefix", u"A; #wB", 0, {u"a", u" #wb"}, {}},
        CompileCase{"duplicates kept in order", u"x;#wy;x;#wy", 0, {u"x", u"x"}, {u"y", u"y"}},
        CompileCase{
            "letters of other scripts fold", u"ÀÉ;#wПРИВЕТ;ΣΩ", 0, {u"àé", u"σω"}, {u"привет"}},
        CompileCase{
            "control characters are ordinary", u"\x01;a\x7f\x1b", 0, {u"\x01", u"a\x7f\x1b"}, {}}),
    [](const auto& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

TEST(CompileList, NoBreakSpacesAtTheEndsAreTrimmedButInsideKept) {
    // A no-break space pasted at either end goes like a blank; next to a ";" inside
    // the text it belongs to its entry.
    CStringArray bt, wf;
    CompileList(u"\xA0x;\xA0y\xA0", 0, bt, wf);
    EXPECT_EQ(bt, (Entries{u"x", u"\xA0y"}));
}

TEST(CompileList, LoneSurrogatesAndOddTextsCompileWithoutHarm) {
    const std::u16string hi(1, 0xD800), lo(1, 0xDC00);
    CStringArray bt, wf;
    CompileList(hi + u";#w" + lo + u";" + lo + hi + u"A", 0, bt, wf);
    EXPECT_EQ(bt, (Entries{hi, lo + hi + u"a"}));
    EXPECT_EQ(wf, (Entries{lo}));

    CompileList(std::u16string(5000, u'#'), 0, bt, wf);
    EXPECT_EQ(bt, (Entries{std::u16string(5000, u'#')}));
    CompileList(std::u16string(u"a\0b;c", 5), 0, bt, wf);  // an embedded null is a character
    EXPECT_EQ(bt, (Entries{std::u16string(u"a\0b", 3), u"c"}));
}

TEST(CompileList, AHundredThousandEntriesCompileQuickly) {
    std::u16string text;
    for (int i = 0; i < 100000; ++i)
        text += (i % 3 == 0 ? u"#wEntry" : u"Entry") + std::u16string(u";");
    CStringArray bt, wf;
    const auto start = std::chrono::steady_clock::now();
    CompileList(text, 0, bt, wf);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(wf.size(), 33334u);
    EXPECT_EQ(bt.size(), 66666u);
    EXPECT_EQ(bt.back(), u"entry");
    // Linear work takes milliseconds; cutting entries off the front would take seconds.
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(StringsDiffer, IsExact) {
    struct Case {
        std::u16string a, b;
        BYTE differ;
    };
    const Case cases[] = {
        {u"", u"", 0},        {u"abc", u"abc", 0},
        {u"abc", u"abcd", 1}, {u"abcd", u"abc", 1},
        {u"Abc", u"abc", 1},  {u"", u"a", 1},
        {u"a ", u"a", 1},     {std::u16string(u"a\0b", 3), std::u16string(u"a\0c", 3), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringsDiffer(c.a, c.b), c.differ);
}

// ---------------------------------------------------------------- LoadRuleLists

class LoadRuleListsTest : public ::testing::Test {
  protected:
    LoadRuleListsTest() { store.SetRegistryKey(u"Velk"); }

    sim::Trace trace;
    sim::Clock clock;
    sim::SimRegistry reg{trace, clock};
    ModuleName process;
    RegistryProfile store{reg, process};
    EngineState state;
};

// A registry that fails by throwing, as a failed allocation inside it would.
class ThrowingRegistry : public IRegistry {
  public:
    LONG RegOpenKeyExW(HKEY, const char16_t*, DWORD, DWORD, HKEY*) override { throw Failure(); }
    LONG RegCreateKeyExW(HKEY, const char16_t*, DWORD, DWORD, HKEY*, DWORD*) override {
        throw Failure();
    }
    LONG RegQueryValueExW(HKEY, const char16_t*, DWORD*, BYTE*, DWORD*) override {
        throw Failure();
    }
    LONG RegSetValueExW(HKEY, const char16_t*, DWORD, const BYTE*, DWORD) override {
        throw Failure();
    }
    LONG RegCloseKey(HKEY) override { return ERROR_SUCCESS; }
    struct Failure {};
};

// However the reload ends, the engine is not left switched off for good.
TEST(LoadRuleLists, ClearsEngineBusyOnEveryWayOut) {
    ThrowingRegistry reg;
    ModuleName process;
    RegistryProfile profile{reg, process};
    EngineState state;
    EXPECT_THROW(LoadRuleLists(profile, state), ThrowingRegistry::Failure);
    EXPECT_EQ(state.EngineBusy, 0);
}

TEST_F(LoadRuleListsTest, DefaultsGiveTheStandardRules) {
    LoadRuleLists(store, state);
    const RuleLists& l = state.Lists;
    EXPECT_EQ(l.BTOnList, (Entries{u"bluetooth"}));
    EXPECT_EQ(l.BTOffList, (Entries{u"hr: "}));
    EXPECT_EQ(l.BTOnRunList, (Entries{u"internet explorer", u"bluetooth"}));
    EXPECT_TRUE(l.WFOnList.empty());
    EXPECT_TRUE(l.WFOffList.empty());
    EXPECT_TRUE(l.WFOnRunList.empty());
    EXPECT_EQ(state.EngineBusy, 0);

    // With WiFi as the default radio the unprefixed entries move over.
    store.WriteProfileInt(kSettingsSection, kDefControl, 1);
    LoadRuleLists(store, state);
    EXPECT_EQ(l.BTOnList, (Entries{u"bluetooth"}));
    EXPECT_EQ(l.WFOffList, (Entries{u"hr: "}));
    EXPECT_TRUE(l.BTOffList.empty());
    EXPECT_EQ(l.WFOnRunList, (Entries{u"internet explorer"}));
    EXPECT_EQ(l.BTOnRunList, (Entries{u"bluetooth"}));
}

TEST_F(LoadRuleListsTest, ReadsAllNineInOrderWhileBusyAndKeepsTheRunningState) {
    const char16_t* s = u"software\\Velk\\Velk\\Settings";
    reg.SetDword(HKEY_CURRENT_USER, s, kDefaultAction, 1);
    reg.SetDword(HKEY_CURRENT_USER, s, kWFDefaultAction, 2);
    reg.SetString(HKEY_CURRENT_USER, s, kOnList, u"Word;#bPhone");
    reg.SetString(HKEY_CURRENT_USER, s, kOffList, u"");
    reg.SetString(HKEY_CURRENT_USER, s, kOnRunList, u"#wMail");
    reg.SetDword(HKEY_CURRENT_USER, s, kBTControl, 2);
    reg.SetDword(HKEY_CURRENT_USER, s, kDefControl, 1);
    reg.SetDword(HKEY_CURRENT_USER, s, kOffTakesPrecedence, 1);
    reg.SetDword(HKEY_CURRENT_USER, s, kKeepPDAOn, 0xFFFFFFFF);

    state.EngineBusy = 7;
    state.LastCaption = u"front";
    state.BTRadioState = 1;
    state.WFRadioState = 0;
    state.KeepOnTicks = 12;
    state.Lists.BTOffList = {u"old"};

    std::vector<std::string> queried;
    bool alwaysBusy = true;
    trace.SetListener([&](const sim::TraceEntry& e) {
        alwaysBusy = alwaysBusy && state.EngineBusy == 1;
        if (e.name == "RegQueryValueExW") {
            const auto q = e.args.find('"');
            queried.push_back(e.args.substr(q + 1, e.args.find('"', q + 1) - q - 1));
        }
    });
    LoadRuleLists(store, state);
    trace.SetListener(nullptr);

    EXPECT_TRUE(alwaysBusy);
    EXPECT_EQ(queried,
              (std::vector<std::string>{"DefaultAction", "WFDefaultAction", "OnList", "OnList",
                                        "OffList", "OffList", "OnRunList", "OnRunList", "BTControl",
                                        "DefControl", "OffTakesPrecedence", "KeepPDAOn"}));
    EXPECT_EQ(state.EngineBusy, 0);
    EXPECT_EQ(state.DefaultAction, 1);
    EXPECT_EQ(state.WFDefaultAction, 2);
    EXPECT_EQ(state.BTControl, 2);
    EXPECT_EQ(state.DefControl, 1);
    EXPECT_EQ(state.OffTakesPrecedence, 1);
    EXPECT_EQ(state.KeepPDAOn, -1);
    EXPECT_EQ(state.Lists.WFOnList, (Entries{u"word"}));
    EXPECT_EQ(state.Lists.BTOnList, (Entries{u"phone"}));
    EXPECT_TRUE(state.Lists.BTOffList.empty());  // stored empty: no entries, not the default
    EXPECT_TRUE(state.Lists.WFOffList.empty());
    EXPECT_EQ(state.Lists.WFOnRunList, (Entries{u"mail"}));
    EXPECT_EQ(state.LastCaption, u"front");
    EXPECT_EQ(state.BTRadioState, 1);
    EXPECT_EQ(state.WFRadioState, 0);
    EXPECT_EQ(state.KeepOnTicks, 12);
    EXPECT_EQ(reg.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace velk

#include <gtest/gtest.h>

#include <sstream>

#include "apps/velk-sim/lint.h"

namespace velk::simrun {
namespace {

std::string LintOf(const SettingValues& values, int* warnings) {
    std::ostringstream out;
    *warnings = Lint(values, out);
    return out.str();
}

struct LintCase {
    const char* name;
    const char16_t* onList;
    const char16_t* offList;
    const char16_t* onRunList = u"";
    INT defControl = 0;
    INT offTakesPrecedence = 0;
    int warnings = 0;
    const char* says = "";  // a part of the one warning expected, when there is one
};

class LintWarnings : public testing::TestWithParam<LintCase> {};

TEST_P(LintWarnings, WarnsOnlyWhereAnEntryIsUnlikelyToMeanWhatItSays) {
    const LintCase& c = GetParam();
    SettingValues values;
    values.OnList = c.onList;
    values.OffList = c.offList;
    values.OnRunList = c.onRunList;
    values.DefControl = c.defControl;
    values.OffTakesPrecedence = c.offTakesPrecedence;
    int warnings = -1;
    const std::string out = LintOf(values, &warnings);
    EXPECT_EQ(warnings, c.warnings) << out;
    const auto count = [&](const std::string& s) {
        std::size_t n = 0;
        for (auto p = out.find(s); p != std::string::npos; p = out.find(s, p + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("warning: "), static_cast<std::size_t>(c.warnings)) << out;
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LintWarnings,
    testing::Values(
        LintCase{.name = "Defaults",
                 .onList = kOnListDefault,
                 .offList = kOffListDefault,
                 .onRunList = kOnRunListDefault},
        LintCase{.name = "BlankAfterSemicolon",
                 .onList = u"Word; Excel",
                 .offList = u"",
                 .warnings = 1,
                 .says = "OnList \" excel\" (Bluetooth) begins with white space: it matches "
                         "only captions that begin with a blank"},
        LintCase{.name = "BlankAfterPrefix",
                 .onList = u"",
                 .offList = u"#w Notes",
                 .warnings = 1,
                 .says = "OffList \" notes\" (WiFi) begins with white space"},
        // Blanks at the ends of the whole text are trimmed; a blank at an entry's end is
        // how the default off list says "HR: " and is not warned about.
        LintCase{.name = "BlanksTrimmedOrTrailing", .onList = u"  Word  ", .offList = u"HR: ;"},
        LintCase{.name = "HashAndOtherLetter",
                 .onList = u"#xray",
                 .offList = u"",
                 .defControl = 1,
                 .warnings = 1,
                 .says = "OnList \"#xray\" (WiFi): \"#x\" is no radio prefix"},
        LintCase{.name = "HashCapitalIsFolded",
                 .onList = u"#Zed",
                 .offList = u"",
                 .warnings = 1,
                 .says = "\"#z\" is no radio prefix"},
        LintCase{.name = "HashAndDigitOrPrefix", .onList = u"#1 Hits;#Bt;#W;#wLan", .offList = u""},
        LintCase{.name = "WrittenThriceWarnedOnce",
                 .onList = u"Word;WORD;word",
                 .offList = u"",
                 .warnings = 1,
                 .says = "OnList \"word\" (Bluetooth) is written more than once"},
        LintCase{.name = "SameEntryForBothRadios", .onList = u"Word;#wWord", .offList = u""},
        LintCase{.name = "TwiceInTheRunningList",
                 .onList = u"",
                 .offList = u"",
                 .onRunList = u"#wMail;#wmail",
                 .warnings = 1,
                 .says = "OnRunList \"mail\" (WiFi) is written more than once"},
        LintCase{.name = "OffCoversOn",
                 .onList = u"Pocket Word",
                 .offList = u"Pocket",
                 .warnings = 1,
                 .says = "OnList \"pocket word\" and OffList \"pocket\" (Bluetooth) both match "
                         "captions that begin with \"pocket word\": OffTakesPrecedence decides "
                         "(now 0: on wins)"},
        LintCase{.name = "OnCoversOff",
                 .onList = u"#wPocket",
                 .offList = u"#wPocket Excel",
                 .offTakesPrecedence = 1,
                 .warnings = 1,
                 .says = "(WiFi) both match captions that begin with \"pocket excel\": "
                         "OffTakesPrecedence decides (now 1: off wins)"},
        LintCase{.name = "OverlapOfOtherRadiosIsNoConflict",
                 .onList = u"#wPocket Word",
                 .offList = u"#bPocket"},
        // The running list answers to whole captions at every tick: no overlap warning.
        LintCase{.name = "RunningListIsNotComparedWithOff",
                 .onList = u"",
                 .offList = u"Pocket",
                 .onRunList = u"Pocket Word"},
        LintCase{.name = "SeveralAtOnce",
                 .onList = u"x; a;#qb;c;c",
                 .offList = u"c",
                 .warnings = 5,
                 .says = "5 warnings"}),
    [](const testing::TestParamInfo<LintCase>& info) { return std::string(info.param.name); });

TEST(Lint, PrintsEachListAsCompiledWithItsRadios) {
    SettingValues values;
    values.OnList = u"  #bBluetooth;Word;#wMail  ";
    values.OffList = u";;";
    values.OnRunList = u"Internet Explorer";
    values.DefControl = 1;
    int warnings = -1;
    EXPECT_EQ(LintOf(values, &warnings),
              "unprefixed entries go to WiFi (DefControl 1); OffTakesPrecedence 0\n"
              "OnList (if window is Active: turns on): 3 entries\n"
              "  \"bluetooth\"  Bluetooth\n"
              "  \"word\"  WiFi\n"
              "  \"mail\"  WiFi\n"
              "OffList (turn off: turns off): 0 entries\n"
              "OnRunList (if window is Running: turns on): 1 entry\n"
              "  \"internet explorer\"  WiFi\n"
              "0 warnings\n");
}

// The settings come from the registry as a launch reads them: stored values where there
// are some, the defaults elsewhere, under the key of the program's own name.
TEST(Lint, ReadsTheStoredSettingsAsALaunchWould) {
    sim::SimHandheld handheld;
    const std::u16string key = u"software\\Velk\\Radios\\Settings";
    handheld.Registry().SetString(HKEY_CURRENT_USER, key, kOnList, u"Calendar");
    handheld.Registry().SetDword(HKEY_CURRENT_USER, key, kOffTakesPrecedence, 1);
    handheld.Registry().SetDword(HKEY_CURRENT_USER, u"software\\Velk\\Velk\\Settings", kDefControl,
                                 1);
    const SettingValues values = ReadStoredSettings(handheld, u"\\Windows\\Radios.exe");
    EXPECT_EQ(values.OnList, u"Calendar");
    EXPECT_EQ(values.OffList, kOffListDefault);
    EXPECT_EQ(values.OnRunList, kOnRunListDefault);
    EXPECT_EQ(values.OffTakesPrecedence, 1);
    EXPECT_EQ(values.DefControl, 0);  // stored for another program name
}

}  // namespace
}  // namespace velk::simrun

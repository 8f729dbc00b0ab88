#include <gtest/gtest.h>

#include "apps/velk-sim/scenario.h"

namespace velk::simrun {
namespace {

TEST(ScenarioParse, QuotedCaptionsCommentsAndEscapes) {
    auto cmds = ParseScenario(
        "# a day\n"
        "launch\n"
        "open \"Internet Explorer\"   # front now\n"
        "retitle \"A \\\"quoted\\\" #1\" \"B\\\\C\"\n"
        "\n"
        "wait 1500\r\n",
        "t");
    ASSERT_EQ(cmds.size(), 4u);
    EXPECT_EQ(cmds[0].verb, "launch");
    EXPECT_EQ(cmds[1].args, std::vector<std::string>{"Internet Explorer"});
    EXPECT_EQ(cmds[1].line, 3);
    EXPECT_EQ(cmds[2].args, (std::vector<std::string>{"A \"quoted\" #1", "B\\C"}));
    EXPECT_EQ(cmds[3].args, std::vector<std::string>{"1500"});
    EXPECT_EQ(cmds[3].text, "wait 1500");
}

TEST(ScenarioParse, BadLinesStopWithTheirLineNumber) {
    struct Case {
        const char* text;
        int line;
    };
    const Case cases[] = {
        {"launch\nfly away\n", 2},
        {"open Internet\n", 1},     // unquoted word is one token: fine
        {"open \"A\" \"B\"\n", 1},  // too many captions
        {"wait soon\n", 1},
        {"wait -5\n", 1},
        {"\n\nbt-stack bluez\n", 3},
        {"expect bt maybe\n", 1},
        {"expect calls \"FindWindowW\"\n", 1},
        {"type x \"text\"\n", 1},
        {"open \"unterminated\n", 1},
        {"expect nothing\n", 1},
    };
    for (const auto& c : cases) {
        if (std::string(c.text) == "open Internet\n") {
            EXPECT_NO_THROW(ParseScenario(c.text, "s"));
            continue;
        }
        try {
            ParseScenario(c.text, "s.velk");
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const ScenarioError& e) {
            EXPECT_EQ(e.Line(), c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find("s.velk:"), std::string::npos);
        }
    }
}

TEST(ScenarioParse, EveryDocumentedExpectIsAccepted) {
    EXPECT_NO_THROW(ParseScenario(
        "expect bt on\nexpect wifi off\nexpect icon shown\nexpect exit -1\n"
        "expect calls \"SendMessageW\" 1\nexpect text 1000 \"a;b\"\nexpect checked 1011 0\n"
        "expect selected 1006 -1\nexpect front \"Velk Settings\"\nexpect message \"x\"\n"
        "expect setting OnList \"#bBluetooth;\"\nexpect setting KeepPDAOn absent\n"
        "type 1000 \"x\"\ncheck 1012 1\nselect 1002 -1\nclick 1\nbutton1\ndismiss\n"
        "hold-up\nlaunch \"3000\"\nno-front\ntap\nchoose \"Settings...\"\n"
        "bt-stack microsoft\nbt-power off\nwlan absent\nwlan-powerup fails\n",
        "s"));
}

TEST(ScenarioParse, NumbersAreWholeDecimalNumbersWithOneOptionalSign) {
    struct Case {
        const char* text;
        bool ok;
        long long value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"+12", true, 12},
        {"-12", true, -12},
        {"9223372036854775807", true, 9223372036854775807LL},
        {"-9223372036854775808", true, -9223372036854775807LL - 1},
        {"9223372036854775808", false, 0},
        {"", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"+-2", false, 0},
        {"-+2", false, 0},
        {"++2", false, 0},
        {"--2", false, 0},
        {" 2", false, 0},
        {"2 ", false, 0},
        {"2ms", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        long long value = 0;
        EXPECT_EQ(ParseInteger(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    EXPECT_THROW(ParseScenario("select 1002 +-2\n", "t"), ScenarioError);
}

}  // namespace
}  // namespace velk::simrun

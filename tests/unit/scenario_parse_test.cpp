#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "apps/velk-sim/control_names.h"
#include "apps/velk-sim/scenario.h"
#include "apps/velk-sim/verbs.h"

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

// Every control and command named by the resource header is a name a scenario can use,
// with the header's value: the table is kept by hand, so this is what notices a new id.
TEST(ScenarioParse, ControlNamesCoverEveryIdOfTheResourceHeader) {
    std::ifstream header(VELK_SOURCE_DIR "/res/resource_ids.h");
    ASSERT_TRUE(header) << "cannot read res/resource_ids.h";
    const std::regex define(R"(^\s*#\s*define\s+(\w+)\s+(\S+))");
    int defines = 0;
    std::string line;
    while (std::getline(header, line)) {
        std::smatch m;
        if (!std::regex_search(line, m, define))
            continue;
        ++defines;
        long long value = 0;
        ASSERT_TRUE(ParseInteger(m[2].str(), value)) << line;
        const auto id = ControlId(m[1].str());
        ASSERT_TRUE(id.has_value()) << m[1] << " is missing from velk-sim's names";
        EXPECT_EQ(*id, value) << m[1];
    }
    EXPECT_GT(defines, 20);
    // Names are unique, so a lookup never depends on the table's order.
    const auto names = ControlNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        for (std::size_t j = i + 1; j < names.size(); ++j)
            EXPECT_STRNE(names[i].name, names[j].name);
}

// A control is named by number or by name wherever a scenario names one; the runner sees
// the number either way.
TEST(ScenarioParse, ControlIdsByNameOrNumber) {
    struct Case {
        const char* named;
        const char* numbered;
        std::size_t index;
    };
    const Case cases[] = {
        {"click IDC_FIND_WINDOW", "click 1005", 0},
        {"click IDOK", "click 1", 0},
        {"click IDCANCEL", "click 2", 0},
        {"type IDC_ON_LIST \"x\"", "type 1000 \"x\"", 0},
        {"check IDC_KEEP_PDA_ON 1", "check 1012 1", 0},
        {"select IDC_DEFAULT_ACTION 2", "select 1002 2", 0},
        {"expect text IDC_WF_CAPTION \"x\"", "expect text 1006 \"x\"", 1},
        {"expect checked IDC_WF_RUNNING 1", "expect checked 1010 1", 1},
        {"expect selected IDC_BT_CONTROL 0", "expect selected 1006 0", 1},
    };
    for (const auto& c : cases) {
        const auto named = ParseScenario(c.named, "t");
        const auto numbered = ParseScenario(c.numbered, "t");
        ASSERT_EQ(named.size(), 1u);
        EXPECT_EQ(named[0].args, numbered[0].args) << c.named;
        EXPECT_EQ(named[0].text, c.named);  // messages quote the line as written
    }
    for (const char* bad : {"click IDC_NO_SUCH", "click idc_find_window", "expect text 10x \"\"",
                            "check IDC_TEST on"}) {
        EXPECT_THROW(ParseScenario(bad, "t"), ScenarioError) << bad;
    }
}

TEST(ScenarioParse, LaunchTakesACountOfCopiesAndACommandLine) {
    struct Case {
        const char* text;
        bool ok;
        int copies;  // 1 when the first argument is no count
    };
    const Case cases[] = {
        {"launch", true, 1},         {"launch \"3000\"", true, 1},
        {"launch x5", true, 5},      {"launch x2 \"3000\"", true, 2},
        {"launch x16", true, 16},    {"launch x1", false, 0},
        {"launch x17", false, 0},    {"launch x+5", true, 1},
        {"launch x5 a b", false, 0}, {"launch a b", false, 0},
    };
    for (const auto& c : cases) {
        if (!c.ok) {
            EXPECT_THROW(ParseScenario(c.text, "t"), ScenarioError) << c.text;
            continue;
        }
        const auto cmds = ParseScenario(c.text, "t");
        int copies = 1;
        if (!cmds[0].args.empty())
            IsCopyCount(cmds[0].args[0], copies);
        EXPECT_EQ(copies, c.copies) << c.text;
    }
}

TEST(ScenarioParse, ExpectSettingTakesOnlyTheNineSettings) {
    EXPECT_NO_THROW(ParseScenario(
        "expect setting DefaultAction 0\nexpect setting WFDefaultAction 0\n"
        "expect setting OnList x\nexpect setting OffList x\nexpect setting OnRunList x\n"
        "expect setting BTControl 0\nexpect setting DefControl 0\n"
        "expect setting OffTakesPrecedence 0\nexpect setting KeepPDAOn 0\n",
        "t"));
    try {
        ParseScenario("expect setting KeepPdaOn 1\n", "t");
        ADD_FAILURE() << "accepted a misspelt setting";
    } catch (const ScenarioError& e) {
        EXPECT_NE(std::string(e.what()).find("KeepPDAOn"), std::string::npos) << e.what();
    }
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

// The README's table of scenario commands says what the declaration says, row by row:
// a verb added, renamed or given other arguments fails here until the README follows.
TEST(ScenarioParse, TheReadmeTableIsTheDeclaration) {
    const auto escape = [](const std::string& text) {
        std::string out;
        for (char ch : text)
            out += ch == '|' ? std::string("\\|") : std::string(1, ch);
        return out;
    };
    std::string expected;
    for (const auto& [usage, help] : ScenarioReference())
        expected += "| `" + escape(usage) + "` | " + escape(help) + " |\n";

    std::ifstream readme(std::string(VELK_SOURCE_DIR) + "/README.md");
    ASSERT_TRUE(readme);
    std::string found;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line == "| command | what happens |") {
            inTable = true;
        } else if (inTable && line.rfind("|---", 0) != 0) {
            if (line.rfind("|", 0) != 0)
                break;
            found += line + "\n";
        }
    }
    EXPECT_EQ(found, expected) << "the README's table should read:\n" << expected;
}

}  // namespace
}  // namespace velk::simrun

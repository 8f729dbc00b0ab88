#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "apps/velk-sim/runner.h"
#include "apps/velk-sim/scenario.h"

namespace velk::simrun {
namespace {

std::string Play(const std::string& text, int* failures = nullptr, RunnerOptions options = {}) {
    sim::SimHandheld handheld;
    std::ostringstream out;
    Runner runner(handheld, out, options);
    int n = runner.Play(ParseScenario(text, "t"), "t");
    if (failures != nullptr)
        *failures = n;
    return out.str();
}

TEST(VelkSim, DemoPlaysTheRoadOfOneEventWithoutFailures) {
    int failures = -1;
    const std::string timeline = Play(kDemoScenario, &failures);
    EXPECT_EQ(failures, 0) << timeline;
    // The timeline names the switch and the call that made it, at the tick after the
    // browser opened (launched at 0, window at 2.5 s, ticks every 1.5 s from 0.5 s).
    EXPECT_NE(timeline.find("4.000 s  Bluetooth on     by SendMessageW("), std::string::npos)
        << timeline;
    EXPECT_NE(timeline.find("\"Bluetooth Console\", WM_COMMAND, 4098, 0)"), std::string::npos);
    EXPECT_NE(timeline.find("front: \"Internet Explorer\""), std::string::npos);
    EXPECT_NE(timeline.find("exited with code 0"), std::string::npos);
}

TEST(VelkSim, FailedExpectationsAreCountedAndExplained) {
    int failures = 0;
    const std::string timeline = Play(
        "launch\nexpect bt on\nexpect icons 2\ntap\nchoose \"E&xit\"\nexpect exit 3\n", &failures);
    EXPECT_EQ(failures, 3);
    EXPECT_NE(
        timeline.find("t:2: FAILED: expect bt on\n    expected Bluetooth on, found Bluetooth off"),
        std::string::npos)
        << timeline;
    EXPECT_NE(timeline.find("expected exit code 3, found exit code 0"), std::string::npos);
}

TEST(VelkSim, ACommandThatCannotBeCarriedOutStopsWithItsLine) {
    sim::SimHandheld handheld;
    std::ostringstream out;
    Runner runner(handheld, out, {});
    try {
        runner.Play(ParseScenario("launch\nwait 10\nfront \"No Such Window\"\n", "t"), "t");
        FAIL() << "played on";
    } catch (const ScenarioError& e) {
        EXPECT_EQ(e.Line(), 3);
    }
}

TEST(VelkSim, ScenarioEndingWhileTheProgramRunsUnwindsCleanly) {
    sim::SimHandheld handheld;
    std::ostringstream out;
    {
        Runner runner(handheld, out, {});
        EXPECT_EQ(runner.Play(ParseScenario("launch\nwait 3000\n", "t"), "t"), 0);
    }
    EXPECT_NE(out.str().find("still running"), std::string::npos) << out.str();
    EXPECT_TRUE(handheld.Icons().empty());
}

// Copies started together end however the scenario ends: by itself with the copy still
// running, or at a command that cannot be carried out, inside or outside the group.
TEST(VelkSim, CopiesStartedTogetherUnwindAtTheScenarioEnd) {
    {
        sim::SimHandheld handheld;
        std::ostringstream out;
        {
            Runner runner(handheld, out, {});
            EXPECT_EQ(
                runner.Play(ParseScenario("launch x3\nexpect copies 1\nwait 3000\n", "t"), "t"), 0);
        }
        EXPECT_NE(out.str().find("still running"), std::string::npos) << out.str();
        EXPECT_TRUE(handheld.Icons().empty());
    }
    {
        sim::SimHandheld handheld;
        std::ostringstream out;
        Runner runner(handheld, out, {});
        try {
            runner.Play(ParseScenario("launch x4\nwait 10\nfront \"No Such Window\"\n", "t"), "t");
            ADD_FAILURE() << "played on";
        } catch (const ScenarioError& e) {
            EXPECT_EQ(e.Line(), 3);
        }
        // The group has ended: a later launch stands alone again.
        EXPECT_EQ(runner.Play(ParseScenario("launch x2\nexpect copies 1\ntap\n"
                                            "choose \"E&xit\"\nexpect copies 0\n",
                                            "t"),
                              "t"),
                  0)
            << out.str();
    }
}

// A copy that holds the mutex without a window: the five started after it look three
// times, find none, and each starts as the program would on the device.
TEST(VelkSim, CopiesStartedTogetherBesideAHungCopy) {
    int failures = -1;
    const std::string timeline =
        Play("hung-copy\nlaunch x2\nexpect copies 2\nexpect icons 2\n", &failures);
    EXPECT_EQ(failures, 0) << timeline;
}

RunnerOptions Explaining() {
    RunnerOptions options;
    options.explain = true;
    return options;
}

std::string ReadScenario(const char* name) {
    std::ifstream in(std::string(VELK_SCENARIO_DIR) + "/" + name);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The lines of a timeline that contain what.
std::vector<std::string> LinesWith(const std::string& timeline, const std::string& what) {
    std::vector<std::string> lines;
    std::istringstream in(timeline);
    for (std::string line; std::getline(in, line);)
        if (line.find(what) != std::string::npos)
            lines.push_back(line);
    return lines;
}

// Each kind of decision, named by its list and entry (or default action), its radio and
// what came of it. A running window that keeps the radio on at every tick is told once.
TEST(VelkSim, ExplainSaysWhichRuleDecidedAndWhatCameOfIt) {
    const std::string text = ReadScenario("explain_decisions.velk");
    ASSERT_FALSE(text.empty());
    int failures = -1;
    const std::string timeline = Play(text, &failures, Explaining());
    EXPECT_EQ(failures, 0) << timeline;
    EXPECT_EQ(LinesWith(timeline, "why: "),
              (std::vector<std::string>{
                  "    2.000 s  why: OnRunList \"internet explorer\" Bluetooth: switched on",
                  "    6.500 s  why: OffList \"hr: \" Bluetooth: switched off",
                  "    8.000 s  why: OffList \"hr: \" Bluetooth: held off (the running list waits "
                  "until the caption changes)",
                  "    9.500 s  why: OnRunList \"internet explorer\" Bluetooth: switched on",
                  "   11.000 s  why: OnList \"bluetooth\" Bluetooth: already on; tick ended by a "
                  "Bluetooth active match",
                  "   12.500 s  why: OffList \"mail - draft\" WiFi: switched off",
                  "   12.500 s  why: DefaultAction 2 (turn off) Bluetooth: switched off",
                  "   14.000 s  why: DefaultAction 2 (turn off) Bluetooth: already off",
                  "   15.500 s  why: OnList \"mail\" WiFi: switched on",
                  "   15.500 s  why: DefaultAction 2 (turn off) Bluetooth: already off",
              }))
        << timeline;
    // The reason follows the change it explains.
    EXPECT_NE(timeline.find("Bluetooth off    by SendMessageW(0x10000 \"Bluetooth Console\", "
                            "WM_COMMAND, 4097, 0)\n    6.500 s  why: OffList"),
              std::string::npos)
        << timeline;
    EXPECT_TRUE(LinesWith(Play(text), "why: ").empty());
}

// A running window whose switch cannot work is told once, and again when it works.
TEST(VelkSim, ExplainTellsASwitchThatHadNoEffect) {
    const std::string timeline = Play(
        "bt-stack none\nlaunch\nopen \"Internet Explorer\"\nwait 5000\n"
        "bt-stack widcomm\nwait 3000\n",
        nullptr, Explaining());
    EXPECT_EQ(LinesWith(timeline, "why: "),
              (std::vector<std::string>{
                  "    2.000 s  why: OnRunList \"internet explorer\" Bluetooth: not switched on: "
                  "the radio stayed off",
                  "    6.500 s  why: OnRunList \"internet explorer\" Bluetooth: switched on"}))
        << timeline;
}

}  // namespace
}  // namespace velk::simrun

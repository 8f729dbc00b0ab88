#include <gtest/gtest.h>

#include <sstream>

#include "apps/velk-sim/runner.h"
#include "apps/velk-sim/scenario.h"

namespace velk::simrun {
namespace {

std::string Play(const std::string& text, int* failures = nullptr) {
    sim::SimHandheld handheld;
    std::ostringstream out;
    Runner runner(handheld, out, {});
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

}  // namespace
}  // namespace velk::simrun

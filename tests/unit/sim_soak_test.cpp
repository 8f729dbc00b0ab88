// A long run of the program on the simulated handheld: the rules switch both radios on
// and off at every tick, and the handles the simulator gave out (registry keys, events,
// libraries, windows, timers, menus, mutexes) stay as many as after the first minute.
//
// VELK_SOAK_TICKS sets the length (scripts/bench.sh runs a million in the release build).

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "config/settings.h"
#include "mainframe/switcher_app.h"
#include "platform/sim/handheld.h"
#include "res/resource_ids.h"

namespace velk {
namespace {

constexpr char16_t kSettings[] = u"software\\Velk\\Velk\\Settings";
constexpr unsigned long long kInterval = 1500;

unsigned long long SoakTicks() {
    const char* env = std::getenv("VELK_SOAK_TICKS");
    if (env != nullptr && *env != '\0')
        return std::strtoull(env, nullptr, 10);
    return 10000;
}

// Between two ticks the other application comes to the front, so every tick sees a new
// caption; the WLAN adapter's power-up fails every other time, which sends the program
// through its fallback with the named events.
class Alternator : public sim::IScriptDriver {
  public:
    Alternator(sim::SimHandheld& hh, unsigned long long ticks, unsigned long long warmUp)
        : hh_(hh), ticks_(ticks), warmUp_(warmUp) {}

    std::optional<unsigned long long> NextWake() override {
        if (step_ == 0)
            return hh_.GetClock().Now();
        if (step_ > ticks_ + 2)
            return std::nullopt;
        // Half-way between two ticks (the first falls at 500 + 1500 ms).
        return 1250 + step_ * kInterval;
    }

    void Wake() override {
        ++step_;
        if (step_ == 1) {
            hh_.OpenAppWindow(u"Word");
            hh_.OpenAppWindow(u"Notes");
        } else if (step_ <= ticks_) {
            hh_.Front(step_ % 2 ? u"Word" : u"Notes");
            hh_.Power().SetPowerUpFails(step_ % 4 == 0);
            if (step_ == warmUp_)
                afterWarmUp = hh_.CountOpenHandles();
        } else if (step_ == ticks_ + 1) {
            atEnd = hh_.CountOpenHandles();
            hh_.TapIcon();
        } else {
            hh_.ChooseMenuItem(u"E&xit");
        }
    }

    sim::SimHandheld::OpenHandles afterWarmUp;
    sim::SimHandheld::OpenHandles atEnd;

  private:
    sim::SimHandheld& hh_;
    unsigned long long ticks_;
    unsigned long long warmUp_;
    unsigned long long step_ = 0;
};

TEST(SimSoak, OpenHandlesStayFlatWhileTheRulesSwitchBothRadiosBackAndForth) {
    const unsigned long long ticks = SoakTicks();
    ASSERT_GE(ticks, 100u);
    sim::SimHandheld hh;
    hh.GetTrace().KeepEntries(false);
    hh.Widcomm().Start();
    // Word: Bluetooth on, WiFi off; Notes: WiFi on, Bluetooth off by default.
    hh.Registry().SetString(HKEY_CURRENT_USER, kSettings, kOnList, u"Word;#wNotes");
    hh.Registry().SetString(HKEY_CURRENT_USER, kSettings, kOffList, u"#wWord");
    hh.Registry().SetDword(HKEY_CURRENT_USER, kSettings, kOffTakesPrecedence, 1);
    hh.Registry().SetDword(HKEY_CURRENT_USER, kSettings, kDefaultAction, kActionTurnOff);
    hh.Registry().SetDword(HKEY_CURRENT_USER, kSettings, kKeepPDAOn, 1);

    Alternator driver(hh, ticks, 40);
    hh.SetDriver(&driver);
    const DWORD pid = hh.CreateProcess(u"\\Windows\\Velk.exe");
    {
        CSwitcherApp app(hh.PlatformFor(pid));
        EXPECT_EQ(AfxWinMain(app, u""), 0);
    }
    hh.ExitProcess(pid, 0);
    hh.SetDriver(nullptr);

    // The radios really went back and forth, every tick.
    EXPECT_GE(hh.GetTrace().Count("SendMessageW"), ticks - 40);
    EXPECT_GE(hh.GetTrace().Count("SetDevicePower"), ticks - 40);
    EXPECT_GE(hh.Power().ServicePowerUps(), static_cast<int>(ticks / 5));
    EXPECT_GT(hh.Power().IdleResets(), 0);

    const auto& a = driver.afterWarmUp;
    const auto& b = driver.atEnd;
    EXPECT_EQ(a, b) << "registry keys " << a.registryKeys << " -> " << b.registryKeys << ", events "
                    << a.events << " -> " << b.events << ", libraries " << a.libraries << " -> "
                    << b.libraries << ", windows " << a.windows << " -> " << b.windows
                    << ", timers " << a.timers << " -> " << b.timers << ", menus " << a.menus
                    << " -> " << b.menus << ", mutexes " << a.mutexes << " -> " << b.mutexes;
    EXPECT_EQ(b.registryKeys, 0u);
    EXPECT_EQ(b.events, 0u);
    EXPECT_EQ(b.timers, 1u);  // the polling timer

    // Exit gives back what the program held.
    const auto after = hh.CountOpenHandles();
    EXPECT_EQ(after.timers, 0u);
    EXPECT_EQ(after.mutexes, 0u);
    EXPECT_EQ(after.libraries, 0u);
}

}  // namespace
}  // namespace velk

// The "expect" lines of a scenario: each compares what the handheld shows with what the
// line says, and a mismatch is printed and counted rather than stopping the run.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>

#include "apps/velk-sim/registry_view.h"
#include "apps/velk-sim/scenario.h"
#include "apps/velk-sim/timeline.h"
#include "platform/sim/handheld.h"

namespace velk::simrun {

// What the checks read besides the handheld, owned by the runner.
struct RunState {
    const std::string& source;  // the scenario's name, for messages
    const int& copies;          // copies of the program started and not yet ended
    const std::optional<int>& lastExit;
};

class Expectations {
  public:
    Expectations(sim::SimHandheld& handheld, std::ostream& out, const DeviceRadios& radios,
                 const Timeline& timeline, const RegistryView& registry, RunState run);

    // Checks one expect line by the kind it names.
    void Check(const Command& c);
    int Failures() const { return failures_; }

    // --- the kinds, as the scenario table names them -----------------------------------
    void Radio(const Command& c);
    void Icon(const Command& c);
    void Icons(const Command& c);
    void Copies(const Command& c);
    void Exit(const Command& c);
    void Calls(const Command& c);
    void Menu(const Command& c);
    void Text(const Command& c);
    void Flag(const Command& c);
    void Front(const Command& c);
    void Message(const Command& c);
    void Setting(const Command& c);
    void Key(const Command& c);

  private:
    void Fail(const Command& c, const std::string& expected, const std::string& found);
    // A failure unless found is what the line's argument at index says.
    void Compare(const Command& c, std::size_t index, const std::string& found,
                 const std::string& what);

    sim::SimHandheld& hh_;
    std::ostream& out_;
    const DeviceRadios& radios_;
    const Timeline& timeline_;
    const RegistryView& registry_;
    RunState run_;
    std::map<std::string, std::size_t> callBaseline_;
    int failures_ = 0;
};

}  // namespace velk::simrun

// A script of user actions for tests on the simulated handheld: one step runs each
// time the program's message loop waits, after an optional pause in which timers run.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <utility>

#include "platform/sim/handheld.h"

namespace velk::test {

// User actions, one per wait of the program; a step may be given a pause before it, in
// which timers keep running.
class StepScript : public sim::IScriptDriver {
  public:
    explicit StepScript(sim::Clock& clock) : clock_(clock) {}

    void Then(std::function<void()> step, unsigned long long pauseMs = 0) {
        steps_.push_back({pauseMs, std::move(step)});
    }
    // Runs before the steps still queued (for a step that repeats itself).
    void Next(std::function<void()> step) { steps_.push_front({0, std::move(step)}); }
    bool Done() const { return steps_.empty(); }

    std::optional<unsigned long long> NextWake() override {
        if (steps_.empty())
            return std::nullopt;
        if (!due_)
            due_ = clock_.Now() + steps_.front().first;
        return due_;
    }
    void Wake() override {
        due_.reset();
        auto step = std::move(steps_.front().second);
        steps_.pop_front();
        step();
    }

  private:
    sim::Clock& clock_;
    std::deque<std::pair<unsigned long long, std::function<void()>>> steps_;
    std::optional<unsigned long long> due_;
};

}  // namespace velk::test

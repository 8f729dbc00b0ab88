// The window model's time source in the simulator: the handheld's virtual clock, moved
// on by the scenario. A wait with nothing due wakes the scenario's driver at its next
// event (time jumps there); with nothing due and no event left the simulation cannot
// go on and the wait throws Halted.
#pragma once

#include <optional>
#include <stdexcept>

#include "platform/model/time_source.h"
#include "platform/sim/clock.h"

namespace velk::sim {

// A message loop waits, but nothing is posted, no timer runs and the script driver has
// nothing more to do. Thrown out of GetMessageW so that the runner unwinds the
// program's stack.
class Halted : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The scenario's clock of events. The model wakes it only when no posted message is
// pending, so one user action is fully handled before the next command runs.
class IScriptDriver {
  public:
    virtual ~IScriptDriver() = default;
    // The virtual time of the next scripted event; nullopt when none remains.
    virtual std::optional<unsigned long long> NextWake() = 0;
    virtual void Wake() = 0;
};

class VirtualTimeSource : public model::ITimeSource {
  public:
    explicit VirtualTimeSource(Clock& clock) : clock_(clock) {}

    void SetDriver(IScriptDriver* driver) { driver_ = driver; }
    Clock& GetClock() { return clock_; }

    unsigned long long Now() const override { return clock_.Now(); }
    // A deadline due no later than the driver's next event moves the clock to it;
    // otherwise the clock moves to that event and the driver is woken.
    model::WaitEnd WaitUntil(std::optional<unsigned long long> deadline, DWORD waiter) override;
    // Input comes from the driver itself, inside a wait: nothing to interrupt.
    void Wake() override {}

  private:
    Clock& clock_;
    IScriptDriver* driver_ = nullptr;
    unsigned long long lastWakeTime_ = ~0ull;
    std::size_t wakesAtSameTime_ = 0;
};

}  // namespace velk::sim

// The simulated handheld's virtual clock: milliseconds since the handheld started.
// Nothing in the simulator waits in real time; time moves only when the message loop
// (or a scenario's wait) advances it.
#pragma once

namespace velk::sim {

class Clock {
  public:
    unsigned long long Now() const { return now_; }
    void AdvanceTo(unsigned long long t) {
        if (t > now_)
            now_ = t;
    }
    void Advance(unsigned long long ms) { now_ += ms; }

  private:
    unsigned long long now_ = 0;
};

}  // namespace velk::sim

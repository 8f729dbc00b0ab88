// The model's real monotonic clock. Its wait hands control to the host's event loop
// (IHostLoop) until the next timer is due or input arrives; a home with a toolkit plugs
// that toolkit's loop in, a home without one uses SleepingHostLoop. Test double for the
// loop: SleepingHostLoop driven from another thread (tests/unit/model_time_test.cpp).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/model/time_source.h"

namespace velk::model {

using SteadyTime = std::chrono::steady_clock::time_point;

// The host's event loop, as the model's wait needs it.
class IHostLoop {
  public:
    virtual ~IHostLoop() = default;
    // Handles the host's events until deadline (none: no bound) or until Interrupt.
    virtual void RunUntil(std::optional<SteadyTime> deadline) = 0;
    // Makes the running (or the next) RunUntil return soon. Safe from any thread and
    // from the loop's own event handlers.
    virtual void Interrupt() = 0;
};

// A loop with no events of its own: it sleeps until the deadline or an interrupt.
class SleepingHostLoop : public IHostLoop {
  public:
    void RunUntil(std::optional<SteadyTime> deadline) override;
    void Interrupt() override;

  private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool interrupted_ = false;
};

class RealTimeSource : public ITimeSource {
  public:
    // Without a loop of the host's, the source sleeps in a SleepingHostLoop of its own.
    RealTimeSource();
    explicit RealTimeSource(IHostLoop& loop);
    RealTimeSource(const RealTimeSource&) = delete;
    RealTimeSource& operator=(const RealTimeSource&) = delete;

    unsigned long long Now() const override;
    WaitEnd WaitUntil(std::optional<unsigned long long> deadline, DWORD waiter) override;
    // Safe from any thread.
    void Wake() override;

  private:
    SteadyTime start_ = std::chrono::steady_clock::now();
    SleepingHostLoop ownLoop_;
    IHostLoop& loop_;
    std::atomic<bool> woken_{false};
};

}  // namespace velk::model

#include "platform/model/real_time.h"

namespace velk::model {

void SleepingHostLoop::RunUntil(std::optional<SteadyTime> deadline) {
    std::unique_lock lock(mutex_);
    if (deadline)
        wake_.wait_until(lock, *deadline, [&] { return interrupted_; });
    else
        wake_.wait(lock, [&] { return interrupted_; });
    interrupted_ = false;
}

void SleepingHostLoop::Interrupt() {
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
    }
    wake_.notify_all();
}

RealTimeSource::RealTimeSource() : loop_(ownLoop_) {}

RealTimeSource::RealTimeSource(IHostLoop& loop) : loop_(loop) {}

unsigned long long RealTimeSource::Now() const {
    // Rounded up: a timer set now falls due a whole period later or after, never before.
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<unsigned long long>(
        std::chrono::ceil<std::chrono::milliseconds>(elapsed).count());
}

WaitEnd RealTimeSource::WaitUntil(std::optional<unsigned long long> deadline, DWORD) {
    std::optional<SteadyTime> until;
    if (deadline)
        until = start_ + std::chrono::milliseconds(*deadline);
    // The host's loop may return before either happened; it is simply run again.
    for (;;) {
        if (woken_.exchange(false))
            return WaitEnd::Woken;
        if (until && std::chrono::steady_clock::now() >= *until)
            return WaitEnd::Deadline;
        loop_.RunUntil(until);
    }
}

void RealTimeSource::Wake() {
    woken_ = true;
    loop_.Interrupt();
}

}  // namespace velk::model

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
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<unsigned long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

WaitEnd RealTimeSource::WaitUntil(std::optional<unsigned long long> deadline, DWORD) {
    if (woken_.exchange(false))
        return WaitEnd::Woken;
    if (deadline && Now() >= *deadline)
        return WaitEnd::Deadline;
    std::optional<SteadyTime> until;
    if (deadline)
        until = start_ + std::chrono::milliseconds(*deadline);
    loop_.RunUntil(until);
    return woken_.exchange(false) ? WaitEnd::Woken : WaitEnd::Deadline;
}

void RealTimeSource::Wake() {
    woken_ = true;
    loop_.Interrupt();
}

}  // namespace velk::model

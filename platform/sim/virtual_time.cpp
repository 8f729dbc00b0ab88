#include "platform/sim/virtual_time.h"

#include <string>

#include "platform/model/objects.h"

namespace velk::sim {

namespace {

constexpr std::size_t kDriverSpin = 100000;

}  // namespace

model::WaitEnd VirtualTimeSource::WaitUntil(std::optional<unsigned long long> deadline,
                                            DWORD waiter) {
    std::optional<unsigned long long> wake;
    if (driver_)
        wake = driver_->NextWake();
    if (!deadline && !wake)
        throw Halted("the simulation cannot go on: process " + std::to_string(waiter) +
                     " waits for a message at " + std::to_string(clock_.Now()) +
                     " ms, and no message, timer or scripted event remains");
    if (deadline && (!wake || *deadline <= *wake)) {
        clock_.AdvanceTo(*deadline);
        return model::WaitEnd::Deadline;
    }
    clock_.AdvanceTo(*wake);
    if (clock_.Now() == lastWakeTime_) {
        if (++wakesAtSameTime_ > kDriverSpin)
            throw model::UsageError("the script driver keeps asking to be woken at " +
                                    std::to_string(clock_.Now()) + " ms without moving on");
    } else {
        lastWakeTime_ = clock_.Now();
        wakesAtSameTime_ = 0;
    }
    driver_->Wake();
    return model::WaitEnd::Woken;
}

}  // namespace velk::sim

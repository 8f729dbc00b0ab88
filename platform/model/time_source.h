// The clock the window model runs on: what time it is, and a wait until the next timer
// is due that ends early when a user's input arrives. The simulator's virtual clock
// (platform/sim/virtual_time.h) moves only when its scenario says so; the real clock
// (real_time.h) waits in the host's event loop. Test double: VirtualTimeSource, or a
// RealTimeSource on a loop of the test's own.
#pragma once

#include <optional>

#include "platform/types.h"

namespace velk::model {

// Why a wait ended.
enum class WaitEnd {
    Deadline,  // the deadline passed
    Woken,     // input arrived, or Wake was called
};

class ITimeSource {
  public:
    virtual ~ITimeSource() = default;

    // Milliseconds since the source started.
    virtual unsigned long long Now() const = 0;
    // Waits until Now() reaches deadline (none: no bound) or until woken. waiter is the
    // process whose message loop waits, for the home's diagnostics.
    virtual WaitEnd WaitUntil(std::optional<unsigned long long> deadline, DWORD waiter) = 0;
    // Input arrived: a running wait returns, or else the next one returns at once.
    virtual void Wake() = 0;
};

}  // namespace velk::model

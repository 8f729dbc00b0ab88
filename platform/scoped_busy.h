// The busy flags of the single user-interface thread: set while an operation runs so
// that a re-entered handler returns at once, and cleared on every way out.
#pragma once

#include "platform/types.h"

namespace velk {

class ScopedBusy {
  public:
    explicit ScopedBusy(INT& flag) : flag_(flag) { flag_ = 1; }
    ~ScopedBusy() { flag_ = 0; }
    ScopedBusy(const ScopedBusy&) = delete;
    ScopedBusy& operator=(const ScopedBusy&) = delete;

  private:
    INT& flag_;
};

}  // namespace velk

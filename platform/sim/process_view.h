// What each per-process view of the world shares: the world, the process whose calls it
// serves, and the trace of those calls.
#pragma once

#include <utility>

#include "platform/sim/world.h"

namespace velk::sim {

class ProcessView {
  protected:
    ProcessView(World& world, DWORD pid) : world_(world), pid_(pid) {}

    template <typename Args>
    void Record(const char* name, Args&& args) {
        world_.TraceCall(pid_, name, std::forward<Args>(args));
    }

    World& world_;
    DWORD pid_;
};

}  // namespace velk::sim

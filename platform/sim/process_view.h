// What each per-process view of the world shares: the world and the process whose calls
// it serves.
#pragma once

#include <utility>

#include "platform/sim/world.h"

namespace velk::sim {

class ProcessView {
  protected:
    ProcessView(World& world, DWORD pid) : world_(world), pid_(pid) {}

    World& world_;
    DWORD pid_;
};

}  // namespace velk::sim

// The trace (platform/trace) under the simulator's names: the simulator, its runner and
// its tests name the trace's records and renderings as the simulator's own.
#pragma once

#include "platform/trace/format.h"
#include "platform/trace/trace.h"

namespace velk::sim {
using namespace velk::trace;
}  // namespace velk::sim

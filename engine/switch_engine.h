// One tick of the polling timer: read the front window's caption, detect a change and
// decide from the rule lists, the default actions and OffTakesPrecedence what to switch.
#pragma once

#include <functional>

#include "engine/engine_state.h"
#include "platform/power.h"
#include "platform/window_system.h"
#include "radio/radio_operations.h"

namespace velk {

class SwitchEngine {
  public:
    SwitchEngine(EngineState& state, IWindowSystem& windows, IPower& power,
                 IRadioOperations& radios);

    // Runs one tick. passOn is the framework's default processing of the timer message;
    // it is called at every tick, also a skipped (busy) one.
    void Tick(const std::function<void()>& passOn);

  private:
    // Reads and folds the front window's caption into caption_ (empty without one).
    void ReadFrontCaption();
    // A top-level window exists whose caption is one of the entries.
    bool AnyRunning(const CStringArray& list);

    EngineState& state_;
    IWindowSystem& windows_;
    IPower& power_;
    IRadioOperations& radios_;
    CString caption_;  // reused buffer: an unchanged tick allocates nothing once warm
};

}  // namespace velk

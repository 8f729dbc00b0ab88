// One tick of the polling timer: read the front window's caption, detect a change and
// decide from the rule lists, the default actions and OffTakesPrecedence what to switch.
#pragma once

#include <functional>

#include "engine/engine_observer.h"
#include "engine/engine_state.h"
#include "platform/window_system.h"
#include "radio/radio_operations.h"

namespace velk {

class SwitchEngine {
  public:
    // desktop answers the front window and the captions; idle keeps the device awake.
    SwitchEngine(EngineState& state, IDesktopWindows& desktop, IIdleTimer& idle,
                 IRadioOperations& radios);

    // Runs one tick. passOn is the framework's default processing of the timer message;
    // it is called at every tick, also a skipped (busy) one.
    void Tick(const std::function<void()>& passOn);

    // Told of every decision from now on; null for none. Not owned.
    void SetObserver(IEngineObserver* observer) { observer_ = observer; }

  private:
    // Reads and folds the front window's caption into caption_ (empty without one).
    void ReadFrontCaption();
    // The first entry that is the caption of an existing top-level window, or null.
    const CString* FirstRunning(const CStringArray& list);
    // Calls the not-forced switching operation of the decision, telling the observer.
    void Switch(const EngineDecision& decision);

    EngineState& state_;
    IDesktopWindows& desktop_;
    IIdleTimer& idle_;
    IRadioOperations& radios_;
    IEngineObserver* observer_ = nullptr;
    CString caption_;  // reused buffer: an unchanged tick allocates nothing once warm
};

}  // namespace velk

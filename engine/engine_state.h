// The engine's state, owned by the main frame: the compiled rule lists, the copies of
// the scalar settings and what the engine remembers between ticks.
#pragma once

#include "platform/types.h"

namespace velk {

struct RuleLists {
    CStringArray BTOnList;
    CStringArray BTOnRunList;
    CStringArray BTOffList;
    CStringArray WFOnList;
    CStringArray WFOnRunList;
    CStringArray WFOffList;
};

// What the engine last did to a radio, kept as an integer as the device does.
using RadioState = INT;
constexpr RadioState kRadioNotSwitched = -1;  // the engine has not switched it yet
constexpr RadioState kRadioSwitchedOff = 0;
constexpr RadioState kRadioSwitchedOn = 1;

struct EngineState {
    INT EngineBusy = 0;
    INT DefaultAction = 0;
    INT WFDefaultAction = 0;
    INT OffTakesPrecedence = 0;
    INT BTControl = 0;  // set by LoadRuleLists before anything reads it
    RuleLists Lists;
    INT DefControl = 0;  // set by LoadRuleLists before anything reads it
    CString LastCaption;
    RadioState BTRadioState = kRadioNotSwitched;
    RadioState WFRadioState = kRadioNotSwitched;
    INT KeepPDAOn = 0;
    INT KeepOnTicks = 0;
};

}  // namespace velk

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

// -1: the engine has not switched the radio yet; 0: last switched off; 1: last on.
using RadioState = INT;

struct EngineState {
    INT EngineBusy = 0;
    INT DefaultAction = 0;
    INT WFDefaultAction = 0;
    INT OffTakesPrecedence = 0;
    INT BTControl = 0;  // set by LoadRuleLists before anything reads it
    RuleLists Lists;
    INT DefControl = 0;  // set by LoadRuleLists before anything reads it
    CString LastCaption;
    RadioState BTRadioState = -1;
    RadioState WFRadioState = -1;
    INT KeepPDAOn = 0;
    INT KeepOnTicks = 0;
};

}  // namespace velk

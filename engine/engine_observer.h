// What the switch engine decided, for the explainer (engine/decision_explainer.h) that tells
// the rules' author why a radio was switched.
// The engine calls an observer, when one is set, at each decision it takes; without one
// it costs a pointer test per decision.
#pragma once

#include "platform/types.h"

namespace velk {

// Where a decision came from: one of the three lists or a radio's default action.
enum class DecisionSource { OnList, OnRunList, OffList, DefaultAction, WFDefaultAction };

// The name of the list or setting a decision came from, as the user writes it.
inline const char* DecisionSourceName(DecisionSource source) {
    switch (source) {
        case DecisionSource::OnList:
            return "OnList";
        case DecisionSource::OnRunList:
            return "OnRunList";
        case DecisionSource::OffList:
            return "OffList";
        case DecisionSource::DefaultAction:
            return "DefaultAction";
        case DecisionSource::WFDefaultAction:
            return "WFDefaultAction";
    }
    return "?";
}

enum class EngineRadio { Bluetooth, WiFi };

struct EngineDecision {
    DecisionSource source;
    EngineRadio radio;
    bool turnOn;           // the state the engine asks the radio for
    const CString* entry;  // the matching entry as compiled; null for a default action
    INT action;            // the default action's code; 0 for a list entry
    bool endsTick;         // a Bluetooth active match: nothing more is decided
};

class IEngineObserver {
  public:
    virtual ~IEngineObserver() = default;

    // A tick that is not skipped begins.
    virtual void TickBegins() = 0;
    // Just before the engine calls the not-forced switching operation of the decision.
    virtual void Deciding(const EngineDecision& decision) = 0;
    // Just after that operation returned.
    virtual void Decided(const EngineDecision& decision) = 0;
    // At a tick with an unchanged caption, the off the engine made earlier keeps the
    // radio's running list from being tested.
    virtual void HeldOff(EngineRadio radio) = 0;
};

}  // namespace velk

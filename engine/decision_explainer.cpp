#include "engine/decision_explainer.h"

#include "platform/strings.h"

namespace velk {

namespace {

const char* RadioName(EngineRadio radio) {
    return radio == EngineRadio::Bluetooth ? "Bluetooth" : "WiFi";
}

// The list and entry (or the default action and its code) and the radio.
std::string DecisionName(const EngineDecision& d) {
    std::string out = DecisionSourceName(d.source);
    if (d.entry != nullptr)
        out += " \"" + ToUtf8(*d.entry) + "\"";
    else
        out += " " + std::to_string(d.action) + (d.turnOn ? " (turn on)" : " (turn off)");
    return out + " " + RadioName(d.radio);
}

}  // namespace

DecisionExplainer::DecisionExplainer(IRadioOperations& radios, IExplanationSink& sink)
    : radios_(radios), sink_(sink) {}

void DecisionExplainer::TickBegins() {
    // A radio that no rule decided at the last tick starts afresh: its next decision is
    // shown even when it repeats the one before the gap.
    for (Explained& e : explained_) {
        if (!e.thisTick)
            e.key.clear();
        e.thisTick = false;
    }
}

bool DecisionExplainer::RadioOn(EngineRadio radio) {
    sink_.AskingRadios(true);
    const INT on = radio == EngineRadio::Bluetooth ? radios_.IsBluetoothOn() : radios_.IsWiFiOn();
    sink_.AskingRadios(false);
    return on == 1;
}

void DecisionExplainer::Deciding(const EngineDecision& decision) {
    onBefore_ = RadioOn(decision.radio);
}

void DecisionExplainer::Decided(const EngineDecision& decision) {
    const bool on = RadioOn(decision.radio);
    const std::string wanted = decision.turnOn ? "on" : "off";
    std::string outcome;
    bool failed = false;
    if (onBefore_ == decision.turnOn) {
        // The operation asked the same query first and sent nothing.
        outcome = "already " + wanted;
    } else if (on == decision.turnOn) {
        outcome = "switched " + wanted;
    } else {
        // The switch was tried and the radio did not follow (no stack, a failed power-up).
        outcome = "not switched " + wanted + ": the radio stayed " + (on ? "on" : "off");
        failed = true;
    }
    if (decision.endsTick)
        outcome += "; tick ended by a Bluetooth active match";
    const std::string name = DecisionName(decision);
    if (!decision.turnOn)
        explained_[static_cast<int>(decision.radio)].lastOff = name;
    // The running list decides again at every tick: a repeat of its last outcome for the
    // radio is not shown again. The rest act at a caption change and are always shown.
    const bool changedRadio = on != onBefore_;
    Explain(decision.radio, name + " " + wanted + (failed ? " failed" : ""), name + ": " + outcome,
            changedRadio || decision.source != DecisionSource::OnRunList);
}

void DecisionExplainer::HeldOff(EngineRadio radio) {
    const Explained& e = explained_[static_cast<int>(radio)];
    const std::string name =
        e.lastOff.empty() ? std::string("an earlier off of ") + RadioName(radio) : e.lastOff;
    Explain(radio, "held", name + ": held off (the running list waits until the caption changes)",
            false);
}

void DecisionExplainer::Explain(EngineRadio radio, const std::string& key, const std::string& line,
                                bool always) {
    Explained& e = explained_[static_cast<int>(radio)];
    e.thisTick = true;
    if (!always && e.key == key)
        return;
    e.key = key;
    sink_.Explain(line);
}

}  // namespace velk

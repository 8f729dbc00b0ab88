// Why the switch engine switched a radio, or did not: one line of text for each decision
// it takes, for a user who wants to know which rule acted. Every home prints the same
// lines, each with its own time stamp and prefix.
#pragma once

#include <string>

#include "engine/engine_observer.h"
#include "radio/radio_operations.h"

namespace velk {

// Where the explanations go.
class IExplanationSink {
  public:
    virtual ~IExplanationSink() = default;

    // One explanation, UTF-8, e.g. `OffList "hr: " Bluetooth: switched off`.
    virtual void Explain(const std::string& line) = 0;
    // The explainer is asking the radios (true) or has done so (false). These queries are
    // the explainer's, not the program's: a home that records the program's platform
    // calls leaves them out.
    virtual void AskingRadios(bool asking) { (void)asking; }
};

// Learns each radio's state through the radio operations' own queries, before and after
// the engine's switching call, and tells the sink what came of the decision.
class DecisionExplainer : public IEngineObserver {
  public:
    DecisionExplainer(IRadioOperations& radios, IExplanationSink& sink);

    void TickBegins() override;
    void Deciding(const EngineDecision& decision) override;
    void Decided(const EngineDecision& decision) override;
    void HeldOff(EngineRadio radio) override;

  private:
    bool RadioOn(EngineRadio radio);
    // Tells the sink, unless the line is a repeat (same key) of the radio's explanation
    // at the tick before and not always to be shown.
    void Explain(EngineRadio radio, const std::string& key, const std::string& line, bool always);

    IRadioOperations& radios_;
    IExplanationSink& sink_;
    bool onBefore_ = false;  // the radio's state before the current decision's call
    // Per radio: the last explanation's key, whether this tick explained it, and the off
    // the engine made last (which a hold keeps in force).
    struct Explained {
        std::string key;
        bool thisTick = false;
        std::string lastOff;
    };
    Explained explained_[2];
};

}  // namespace velk

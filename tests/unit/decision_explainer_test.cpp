// The explainer learns each radio's state from the radio operations' own queries, before
// and after the engine's switching call, and says what came of the decision from them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/decision_explainer.h"

namespace velk {
namespace {

// Radio operations whose queries answer from a script and log; a sink that logs too.
class Radios : public IRadioOperations, public IExplanationSink {
  public:
    void TurnBluetoothOn(INT) override {}
    void TurnBluetoothOff(INT) override {}
    INT IsBluetoothOn() override { return Answer("IsBluetoothOn"); }
    void TurnWiFiOn(INT) override {}
    void TurnWiFiOff(INT) override {}
    INT IsWiFiOn() override { return Answer("IsWiFiOn"); }
    void Explain(const std::string& line) override { log.push_back("why: " + line); }
    void AskingRadios(bool asking) override { log.push_back(asking ? "[" : "]"); }

    std::vector<INT> answers;  // in the order asked
    std::vector<std::string> log;

  private:
    INT Answer(const char* query) {
        log.push_back(query);
        const INT on = answers.front();
        answers.erase(answers.begin());
        return on;
    }
};

struct Row {
    EngineRadio radio;
    bool turnOn;
    INT before, after;
    std::string outcome;
};

TEST(DecisionExplainer, AsksTheRadioOperationsBeforeAndAfterTheSwitch) {
    const CString entry = u"mail";
    const Row rows[] = {
        {EngineRadio::WiFi, true, 0, 1, "OnList \"mail\" WiFi: switched on"},
        {EngineRadio::WiFi, false, 0, 0, "OnList \"mail\" WiFi: already off"},
        {EngineRadio::Bluetooth, true, 0, 0,
         "OnList \"mail\" Bluetooth: not switched on: the radio stayed off"},
        {EngineRadio::Bluetooth, false, 1, 0, "OnList \"mail\" Bluetooth: switched off"},
    };
    for (const Row& row : rows) {
        Radios radios;
        radios.answers = {row.before, row.after};
        DecisionExplainer explainer(radios, radios);
        const EngineDecision d{.source = DecisionSource::OnList,
                               .radio = row.radio,
                               .turnOn = row.turnOn,
                               .entry = &entry,
                               .action = 0,
                               .endsTick = false};
        explainer.TickBegins();
        explainer.Deciding(d);
        explainer.Decided(d);
        const std::string query =
            row.radio == EngineRadio::Bluetooth ? "IsBluetoothOn" : "IsWiFiOn";
        EXPECT_EQ(radios.log, (std::vector<std::string>{"[", query, "]", "[", query, "]",
                                                        "why: " + row.outcome}));
    }
}

}  // namespace
}  // namespace velk

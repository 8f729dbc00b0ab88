// What velk-sim prints as a scenario plays: each line with the virtual time, the front
// caption when it changes, every radio switch with the call that made it, the program's
// platform calls with --trace and the reasons for its decisions with --explain.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/decision_explainer.h"
#include "platform/sim/handheld.h"

namespace velk::simrun {

// The device's radios as its user sees them, read from the simulated device (untraced).
class DeviceRadios {
  public:
    enum class Stack { Widcomm, Microsoft, None };

    explicit DeviceRadios(sim::SimHandheld& handheld) : hh_(handheld) {}

    Stack GetStack() const { return stack_; }
    void SetStack(Stack stack) { stack_ = stack; }
    bool BluetoothOn() const;
    bool WiFiOn() const { return hh_.Power().AdapterOn(); }

  private:
    sim::SimHandheld& hh_;
    Stack stack_ = Stack::Widcomm;
};

class Timeline : public IExplanationSink {
  public:
    Timeline(sim::SimHandheld& handheld, std::ostream& out, const DeviceRadios& radios, bool trace);

    // One line, with the virtual time.
    void Say(const std::string& what);
    // Notes changes of the front caption and of the radios.
    void Observe();
    // Takes a radio's state as it is now without telling (a change by hand says so
    // itself).
    void ResyncBluetooth() { btOn_ = radios_.BluetoothOn(); }
    void ResyncWiFi() { wifiOn_ = radios_.WiFiOn(); }
    bool BluetoothSeenOn() const { return btOn_; }

    // A platform call as it happens: printed with --trace; a switching call is kept to
    // name a radio change.
    void Print(const sim::TraceCall& c);
    void Follow(const sim::TraceCall& c);
    // The explainer's own radio queries are not the program's calls: while it asks, the
    // calls are counted apart and shown nowhere.
    bool Asking() const { return asking_; }
    void CountAside(std::string_view name) { aside_[std::string(name)]++; }
    // Calls of that name the program made (the trace's count less the explainer's).
    std::size_t ProgramCalls(const std::string& name) const;

    // --- IExplanationSink ----------------------------------------------------------------
    void Explain(const std::string& line) override;
    void AskingRadios(bool asking) override { asking_ = asking; }

  private:
    sim::SimHandheld& hh_;
    std::ostream& out_;
    const DeviceRadios& radios_;
    bool trace_;
    std::u16string front_;
    bool btOn_ = false;
    bool wifiOn_ = false;
    std::string lastSwitchCall_;
    bool observing_ = false;
    bool observePending_ = true;
    bool asking_ = false;
    std::map<std::string, std::size_t> aside_;
};

}  // namespace velk::simrun

// Plays a scenario on the simulated handheld: starts copies of the program, moves
// windows, taps and types as a user would, and prints a timeline of what happened —
// the front caption when it changes and every radio switch with the call that made it.
#pragma once

#include <condition_variable>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "apps/velk-sim/scenario.h"
#include "config/settings.h"
#include "engine/engine_observer.h"
#include "platform/sim/handheld.h"

namespace velk::simrun {

struct RunnerOptions {
    std::u16string commandLine;                          // for a launch without its own
    std::u16string modulePath = u"\\Windows\\Velk.exe";  // the program's file
    bool trace = false;                                  // print every platform call
    bool explain = false;  // say which list and entry each decision came from
};

class Runner : public sim::IScriptDriver, private IEngineObserver {
  public:
    Runner(sim::SimHandheld& handheld, std::ostream& out, RunnerOptions options);
    ~Runner() override;

    // Plays the commands; returns the number of expectations that failed. A command
    // that cannot be carried out (a window that is not there, say) throws
    // ScenarioError with its line.
    int Play(const std::vector<Command>& commands, const std::string& source);

    std::optional<unsigned long long> NextWake() override;
    void Wake() override;

  private:
    enum class Stack { Widcomm, Microsoft, None };

    // What the engine decided, as --explain shows it.
    void TickBegins() override;
    void Deciding(const EngineDecision& decision) override;
    void Decided(const EngineDecision& decision) override;
    void HeldOff(EngineRadio radio) override;
    bool RadioOn(EngineRadio radio);
    // Prints an explanation unless it repeats the radio's last one at the tick after.
    void Explain(EngineRadio radio, const std::string& key, const std::string& line, bool always);

    void Execute(const Command& c);
    void Expect(const Command& c);
    void Launch(const std::u16string& commandLine);
    // Starts count copies at the same moment; returns when all have ended.
    void LaunchTogether(int count, const std::u16string& commandLine);
    void RunCopy(std::size_t index, const std::u16string& commandLine);
    // The calling copy lets another run: at a Sleep (it stays runnable) or when it waits
    // for messages (idle). Nothing happens outside a group or on another thread.
    void Yield(bool idle);
    std::optional<std::size_t> CurrentCopy() const;
    // The copy to run next: the runnable ones first, by the device's thread priority
    // (lower numbers first) and then in turn; the idle ones when none is runnable.
    std::optional<std::size_t> PickNext(std::size_t after) const;
    void HandOver(std::size_t to);  // baton holder only; returns at once
    void WaitForBaton(std::unique_lock<std::mutex>& lock, std::size_t me);
    // The stored value of a setting as a scenario writes it: a number, a text, "absent",
    // or the value's type when it is neither a 4-byte REG_DWORD nor a REG_SZ.
    std::string StoredSetting(const Setting& setting) const;
    std::u16string SettingsKeyPath() const;
    void Fail(const Command& c, const std::string& expected, const std::string& found);
    bool BluetoothOn();
    void OnTrace(const sim::TraceCall& c);
    void Observe();  // notes changes of the front caption and of the radios
    void Say(const std::string& what);
    std::string Caption(const std::u16string& caption) const;

    sim::SimHandheld& hh_;
    std::ostream& out_;
    RunnerOptions options_;
    const std::vector<Command>* commands_ = nullptr;
    std::string source_;
    std::size_t next_ = 0;
    std::optional<unsigned long long> waitUntil_;
    int depth_ = 0;   // program copies running (nested message loops)
    int copies_ = 0;  // copies of the program started and not yet ended
    int failures_ = 0;
    bool holdUp_ = false;
    Stack stack_ = Stack::Widcomm;
    std::optional<int> lastExit_;
    std::map<std::string, std::size_t> callBaseline_;
    std::u16string front_;
    bool btOn_ = false;
    bool wifiOn_ = false;
    std::string lastSwitchCall_;
    std::size_t switchCalls_ = 0;  // switching calls the program has made
    // --explain: the radio's state and the switching calls before the current decision;
    // per radio, the last explanation, whether this tick explained it, and the off the
    // engine made last (which a hold keeps in force).
    bool explainOnBefore_ = false;
    std::size_t explainCallsBefore_ = 0;
    struct Explained {
        std::string key;
        bool thisTick = false;
        std::string lastOff;
    };
    Explained explained_[2];
    bool observing_ = false;
    bool observePending_ = true;

    // Copies started together run on threads of their own, one at a time: the one
    // holding the baton runs; the others wait. This gives the races of real starts
    // (each copy may be overtaken at a Sleep or while it waits for messages) while the
    // handheld itself is only ever touched by one thread.
    struct Copy {
        DWORD pid = 0;
        std::thread thread;
        enum class State { Runnable, Idle, Done } state = State::Runnable;
        int exitCode = 0;
        std::exception_ptr error;
    };
    static constexpr std::size_t kLauncher = static_cast<std::size_t>(-1);
    std::vector<std::unique_ptr<Copy>> group_;
    std::mutex batonMutex_;
    std::condition_variable batonMoved_;
    std::size_t baton_ = kLauncher;
};

// The built-in demo: the road of one event with the stored default rules.
extern const char kDemoScenario[];

}  // namespace velk::simrun

// Plays a scenario on the simulated handheld: starts copies of the program, moves
// windows, taps and types as a user would, and prints a timeline of what happened —
// the front caption when it changes and every radio switch with the call that made it.
// The commands are carried out here (interpreter.cpp) as the table of verbs declares
// them (verbs.cpp); the timeline, the expectations and the registry view are parts of
// their own.
#pragma once

#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "apps/velk-sim/expectations.h"
#include "apps/velk-sim/registry_view.h"
#include "apps/velk-sim/scenario.h"
#include "apps/velk-sim/timeline.h"
#include "apps/velk-sim/verbs.h"
#include "platform/sim/handheld.h"

namespace velk::simrun {

struct RunnerOptions {
    std::u16string commandLine;                          // for a launch without its own
    std::u16string modulePath = u"\\Windows\\Velk.exe";  // the program's file
    bool trace = false;                                  // print every platform call
    bool explain = false;  // say which list and entry each decision came from
};

class Runner : public sim::IScriptDriver {
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
    friend const std::vector<Verb>& Verbs();

    // --- interpreter.cpp: one handler per verb -------------------------------------------
    void Execute(const Command& c);
    void OnLaunch(const Command& c);
    void OnHoldUp(const Command& c);
    void OnHungCopy(const Command& c);
    void OnOpen(const Command& c);
    void OnFront(const Command& c);
    void OnClose(const Command& c);
    void OnRetitle(const Command& c);
    void OnNoFront(const Command& c);
    void OnWait(const Command& c);
    void OnTap(const Command& c);
    void OnChoose(const Command& c);
    void OnType(const Command& c);
    void OnCheck(const Command& c);
    void OnSelect(const Command& c);
    void OnClick(const Command& c);
    void OnButton1(const Command& c);
    void OnDismiss(const Command& c);
    void OnScreen(const Command& c);
    void OnBtStack(const Command& c);
    void OnBtPower(const Command& c);
    void OnWlan(const Command& c);
    void OnWlanPowerUp(const Command& c);
    void OnExpect(const Command& c);

    // --- runner.cpp ----------------------------------------------------------------------
    void Launch(const std::u16string& commandLine);
    void OnTrace(const sim::TraceCall& c);
    // The program's explanations of its decisions go to the timeline with --explain.
    IExplanationSink* Explaining() { return options_.explain ? &timeline_ : nullptr; }

    // --- runner_together.cpp -------------------------------------------------------------
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

    sim::SimHandheld& hh_;
    std::ostream& out_;
    RunnerOptions options_;
    const std::vector<Command>* commands_ = nullptr;
    std::string source_;
    std::size_t next_ = 0;
    std::optional<unsigned long long> waitUntil_;
    int depth_ = 0;   // program copies running (nested message loops)
    int copies_ = 0;  // copies of the program started and not yet ended
    bool holdUp_ = false;
    std::optional<int> lastExit_;
    DeviceRadios radios_;
    Timeline timeline_;
    RegistryView registry_;
    Expectations expectations_;

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

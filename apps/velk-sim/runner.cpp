#include "apps/velk-sim/runner.h"

#include "mainframe/switcher_app.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

// Thrown by Wake when the scenario has no command left while a copy of the program is
// still in its message loop: it unwinds every loop up to Play.
struct ScenarioEnd {};

}  // namespace

Runner::Runner(sim::SimHandheld& handheld, std::ostream& out, RunnerOptions options)
    : hh_(handheld),
      out_(out),
      options_(std::move(options)),
      radios_(handheld),
      timeline_(handheld, out, radios_, options_.trace),
      registry_(handheld.Registry(), options_.modulePath),
      expectations_(handheld, out, radios_, timeline_, registry_,
                    {.source = source_, .copies = copies_, .lastExit = lastExit_}) {
    hh_.SetDriver(this);
    // The timeline needs only the counts and the calls as they happen: nothing piles up
    // however long the scenario runs.
    hh_.GetTrace().KeepEntries(false);
    hh_.GetTrace().SetCallListener([this](const sim::TraceCall& c) { OnTrace(c); });
    hh_.Widcomm().Start();
    timeline_.ResyncBluetooth();
    timeline_.ResyncWiFi();
}

Runner::~Runner() {
    hh_.GetTrace().SetCallListener(nullptr);
    hh_.SetDriver(nullptr);
}

int Runner::Play(const std::vector<Command>& commands, const std::string& source) {
    commands_ = &commands;
    source_ = source;
    next_ = 0;
    try {
        while (next_ < commands.size() || waitUntil_) {
            if (waitUntil_) {
                // No program loop is running: the world moves on by itself.
                const auto until = *waitUntil_;
                waitUntil_.reset();
                if (until > hh_.GetClock().Now())
                    hh_.RunFor(until - hh_.GetClock().Now());
                timeline_.Observe();
                continue;
            }
            Execute(commands[next_++]);
            timeline_.Observe();
        }
        timeline_.Say("end of scenario");
    } catch (const ScenarioEnd&) {
        timeline_.Observe();
        timeline_.Say("end of scenario; the program was still running");
    }
    commands_ = nullptr;
    return expectations_.Failures();
}

std::optional<unsigned long long> Runner::NextWake() {
    Yield(true);  // a copy with nothing to do lets the others start
    if (waitUntil_)
        return waitUntil_;
    return hh_.GetClock().Now();
}

void Runner::Wake() {
    if (waitUntil_) {
        if (hh_.GetClock().Now() < *waitUntil_)
            return;
        waitUntil_.reset();
    }
    timeline_.Observe();
    if (commands_ == nullptr || next_ >= commands_->size())
        throw ScenarioEnd{};
    Execute((*commands_)[next_++]);
    timeline_.Observe();
}

void Runner::Launch(const std::u16string& commandLine) {
    const DWORD pid = hh_.CreateProcess(options_.modulePath);
    ++copies_;
    if (holdUp_) {
        hh_.HoldKeyUntil(VK_UP, hh_.GetClock().Now() + 500);
        holdUp_ = false;
    }
    timeline_.Say("launch " + ToUtf8(ApplicationNameFromPath(options_.modulePath)) + ".exe" +
                  (commandLine.empty() ? "" : " \"" + ToUtf8(commandLine) + "\"") + " (process " +
                  std::to_string(pid) + ")");
    int code = 0;
    ++depth_;
    try {
        CSwitcherApp app(hh_.PlatformFor(pid), Explaining());
        code = AfxWinMain(app, commandLine);
    } catch (...) {
        --depth_;
        --copies_;
        hh_.ExitProcess(pid, 0);
        throw;
    }
    --depth_;
    --copies_;
    hh_.ExitProcess(pid, static_cast<DWORD>(code));
    lastExit_ = code;
    timeline_.Observe();
    timeline_.Say("process " + std::to_string(pid) + " exited with code " + std::to_string(code));
}

void Runner::OnTrace(const sim::TraceCall& c) {
    if (timeline_.Asking()) {
        timeline_.CountAside(c.name);
        return;
    }
    timeline_.Print(c);
    if (c.name == "Sleep")
        Yield(false);
    timeline_.Follow(c);
}

}  // namespace velk::simrun

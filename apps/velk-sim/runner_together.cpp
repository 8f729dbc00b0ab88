// Copies of the program started at the same moment, each on a thread of its own that
// runs only while it holds the runner's baton.

#include "apps/velk-sim/runner.h"
#include "mainframe/switcher_app.h"
#include "platform/strings.h"

namespace velk::simrun {

void Runner::LaunchTogether(int count, const std::u16string& commandLine) {
    if (!group_.empty())
        throw sim::SimError("copies started together are still running");
    std::string pids;
    for (int i = 0; i < count; ++i) {
        auto copy = std::make_unique<Copy>();
        copy->pid = hh_.CreateProcess(options_.modulePath);
        ++copies_;
        pids += (pids.empty() ? "" : ", ") + std::to_string(copy->pid);
        group_.push_back(std::move(copy));
    }
    if (holdUp_) {
        hh_.HoldKeyUntil(VK_UP, hh_.GetClock().Now() + 500);
        holdUp_ = false;
    }
    timeline_.Say(
        "launch " + ToUtf8(ApplicationNameFromPath(options_.modulePath)) + ".exe x" +
        std::to_string(count) +
        (commandLine.empty() ? "" : " " + std::string("\"") + ToUtf8(commandLine) + "\"") +
        " at the same moment (processes " + pids + ")");

    ++depth_;
    {
        std::unique_lock lock(batonMutex_);
        for (std::size_t i = 0; i < group_.size(); ++i)
            group_[i]->thread = std::thread([this, i, commandLine] { RunCopy(i, commandLine); });
        baton_ = 0;
        batonMoved_.notify_all();
        WaitForBaton(lock, kLauncher);
    }
    for (auto& copy : group_)
        copy->thread.join();
    --depth_;

    // Every copy has ended; the first failure other than the scenario's end counts most.
    std::exception_ptr error;
    for (auto& copy : group_) {
        if (copy->error && !error)
            error = copy->error;
    }
    for (auto& copy : group_) {
        if (!copy->error)
            continue;
        try {
            std::rethrow_exception(copy->error);
        } catch (const ScenarioError&) {
            error = copy->error;
            break;
        } catch (const sim::SimError&) {
            error = copy->error;
            break;
        } catch (...) {
        }
    }
    std::vector<std::unique_ptr<Copy>> ended;
    ended.swap(group_);
    if (error)
        std::rethrow_exception(error);
}

void Runner::RunCopy(std::size_t index, const std::u16string& commandLine) {
    Copy& copy = *group_[index];
    {
        std::unique_lock lock(batonMutex_);
        WaitForBaton(lock, index);
    }
    // From here to the hand-over below this thread holds the baton.
    int code = 0;
    try {
        CSwitcherApp app(hh_.PlatformFor(copy.pid), Explaining());
        code = AfxWinMain(app, commandLine);
    } catch (...) {
        copy.error = std::current_exception();
    }
    --copies_;
    try {
        hh_.ExitProcess(copy.pid, static_cast<DWORD>(code));
        if (!copy.error) {
            lastExit_ = code;
            timeline_.Observe();
            timeline_.Say("process " + std::to_string(copy.pid) + " exited with code " +
                          std::to_string(code));
        }
    } catch (...) {
        if (!copy.error)
            copy.error = std::current_exception();
    }
    copy.exitCode = code;
    std::unique_lock lock(batonMutex_);
    copy.state = Copy::State::Done;
    HandOver(PickNext(index).value_or(kLauncher));
}

std::optional<std::size_t> Runner::CurrentCopy() const {
    const auto me = std::this_thread::get_id();
    for (std::size_t i = 0; i < group_.size(); ++i)
        if (group_[i]->thread.get_id() == me)
            return i;
    return std::nullopt;
}

void Runner::Yield(bool idle) {
    if (group_.empty())
        return;
    const auto me = CurrentCopy();
    if (!me)
        return;
    std::unique_lock lock(batonMutex_);
    group_[*me]->state = idle ? Copy::State::Idle : Copy::State::Runnable;
    const std::size_t next = PickNext(*me).value_or(*me);
    if (next != *me) {
        HandOver(next);
        WaitForBaton(lock, *me);
    }
    group_[*me]->state = Copy::State::Runnable;
}

std::optional<std::size_t> Runner::PickNext(std::size_t after) const {
    const std::size_t n = group_.size();
    std::optional<std::size_t> best;
    INT bestPriority = 0;
    // In turn from the one after the current copy, the current one last.
    for (std::size_t k = 1; k <= n; ++k) {
        const std::size_t i = (after + k) % n;
        const Copy& c = *group_[i];
        if (c.state != Copy::State::Runnable)
            continue;
        const sim::SimProcessInfo* info = hh_.GetWorld().FindProcess(c.pid);
        const INT priority = info != nullptr ? info->threadPriority : 0;
        if (!best || priority < bestPriority) {
            best = i;
            bestPriority = priority;
        }
    }
    if (best)
        return best;
    for (std::size_t k = 1; k <= n; ++k) {
        const std::size_t i = (after + k) % n;
        if (group_[i]->state == Copy::State::Idle)
            return i;
    }
    return std::nullopt;
}

void Runner::HandOver(std::size_t to) {
    baton_ = to;
    batonMoved_.notify_all();
}

void Runner::WaitForBaton(std::unique_lock<std::mutex>& lock, std::size_t me) {
    batonMoved_.wait(lock, [&] { return baton_ == me; });
}

}  // namespace velk::simrun

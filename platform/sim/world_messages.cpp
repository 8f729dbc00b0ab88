// The simulated handheld's message queue on the virtual clock: sent and posted
// messages, GetMessage with the script driver, timers, nested modal loops, hot keys and
// the hardware buttons.
#include "platform/sim/world.h"

#include <algorithm>

#include "platform/sim/trace_format.h"
#include "platform/strings.h"

namespace velk::sim {

namespace {

constexpr UINT USER_TIMER_MINIMUM = 10;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
constexpr std::size_t kMessageStorm = 100000;
constexpr std::size_t kDriverSpin = 100000;

LPARAM MakeLParam(UINT lo, UINT hi) {
    return static_cast<LPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

}  // namespace

// --- messages ----------------------------------------------------------------------

LRESULT World::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* w = Find(hwnd);
    if (!w)
        return 0;
    if (w->handler)
        return w->handler->WindowProc(hwnd, message, wParam, lParam);
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool World::Post(DWORD fromPid, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD pid = fromPid;
    if (hwnd) {
        SimWindow* w = Find(hwnd);
        if (!w)
            return false;
        pid = w->pid;
    }
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(clock_.Now());
    posted_.push_back({msg, pid});
    return true;
}

void World::PostQuit(DWORD pid, INT exitCode) {
    SimProcessInfo& p = Process(pid);
    p.quitPending = true;
    p.quitCode = exitCode;
}

void World::RecordDelivery(const MSG& msg) {
    if (msg.message == WM_NULL)
        return;
    const SimWindow* w = Find(msg.hwnd);
    if (!w || !Traced(w->pid))
        return;
    trace_.Record(clock_.Now(), "Message",
                  TraceHandle(msg.hwnd.value) + ", " + MessageName(msg.message) + ", " +
                      std::to_string(msg.wParam) + ", " + std::to_string(msg.lParam));
}

void World::Deliver(const MSG& msg) {
    if (!msg.hwnd || !Find(msg.hwnd))
        return;
    RecordDelivery(msg);
    Send(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

World::Step World::TakePosted(DWORD pid, MSG* msg) {
    std::size_t handled = 0;
    while (!posted_.empty()) {
        Posted p = posted_.front();
        posted_.pop_front();
        if (p.msg.hwnd && !Find(p.msg.hwnd))
            continue;  // its window is gone
        if (p.pid == pid) {
            *msg = p.msg;
            RecordDelivery(*msg);
            return Step::Message;
        }
        // Another process's message: its loop would have taken it by now.
        const SimProcessInfo* other = FindProcess(p.pid);
        if (other && other->running)
            Deliver(p.msg);
        if (++handled > kMessageStorm)
            throw SimError("message storm: windows keep posting to each other");
    }
    SimProcessInfo& self = Process(pid);
    if (self.quitPending) {
        self.quitPending = false;
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(self.quitCode);
        msg->time = static_cast<DWORD>(clock_.Now());
        return Step::Quit;
    }
    return Step::Nothing;
}

std::optional<std::size_t> World::NextTimer() const {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        const SimTimer& t = timers_[i];
        if (!best || t.due < timers_[*best].due ||
            (t.due == timers_[*best].due && t.seq < timers_[*best].seq))
            best = i;
    }
    return best;
}

void World::FireTimer(std::size_t index, DWORD pid, MSG* msg, bool* forCaller) {
    SimTimer t = timers_[index];
    clock_.AdvanceTo(t.due);
    unsigned long long now = clock_.Now();
    unsigned long long next = t.due + t.period;
    if (next <= now)
        next = t.due + ((now - t.due) / t.period + 1) * t.period;
    timers_[index].due = next;

    MSG m;
    m.hwnd = t.hwnd;
    m.message = WM_TIMER;
    m.wParam = t.id;
    m.time = static_cast<DWORD>(now);
    const SimWindow* w = Find(t.hwnd);
    *forCaller = false;
    if (w && w->pid == pid) {
        *msg = m;
        *forCaller = true;
        RecordDelivery(m);
        return;
    }
    Deliver(m);
}

bool World::GetMessage(DWORD pid, MSG* msg) {
    if (!Process(pid).running)
        throw SimError("process " + std::to_string(pid) + " has exited but still pumps messages");
    bool woke = false;
    for (;;) {
        Step step = TakePosted(pid, msg);
        if (step == Step::Message)
            return true;
        if (step == Step::Quit)
            return false;
        if (woke) {
            // Let the caller's loop look at its end condition before time moves on.
            *msg = MSG{};
            msg->time = static_cast<DWORD>(clock_.Now());
            return true;
        }
        std::optional<std::size_t> timer = NextTimer();
        std::optional<unsigned long long> wake;
        if (driver_)
            wake = driver_->NextWake();
        if (!timer && !wake)
            throw Halted("the simulation cannot go on: process " + std::to_string(pid) +
                         " waits for a message at " + std::to_string(clock_.Now()) +
                         " ms, and no message, timer or scripted event remains");
        if (timer && (!wake || timers_[*timer].due <= *wake)) {
            bool forCaller = false;
            FireTimer(*timer, pid, msg, &forCaller);
            if (forCaller)
                return true;
            continue;
        }
        clock_.AdvanceTo(*wake);
        if (clock_.Now() == lastWakeTime_) {
            if (++wakesAtSameTime_ > kDriverSpin)
                throw SimError("the script driver keeps asking to be woken at " +
                               std::to_string(clock_.Now()) + " ms without moving on");
        } else {
            lastWakeTime_ = clock_.Now();
            wakesAtSameTime_ = 0;
        }
        driver_->Wake();
        woke = true;
    }
}

LRESULT World::Dispatch(const MSG& msg) {
    if (!msg.hwnd)
        return 0;
    return Send(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

UINT World::RegisterWindowMessage(const std::u16string& name) {
    const std::u16string folded = Folded(name);
    auto it = registeredMessages_.find(folded);
    if (it != registeredMessages_.end())
        return it->second;
    UINT id = 0xC000 + static_cast<UINT>(registeredMessages_.size());
    registeredMessages_[folded] = id;
    return id;
}

void World::DispatchPosted() {
    std::size_t handled = 0;
    while (!posted_.empty()) {
        Posted p = posted_.front();
        posted_.pop_front();
        const SimProcessInfo* proc = FindProcess(p.pid);
        if (proc && proc->running)
            Deliver(p.msg);
        if (++handled > kMessageStorm)
            throw SimError("message storm: windows keep posting to each other");
    }
}

void World::RunFor(unsigned long long ms) {
    unsigned long long target = clock_.Now() + ms;
    for (;;) {
        DispatchPosted();
        std::optional<std::size_t> timer = NextTimer();
        if (!timer || timers_[*timer].due > target)
            break;
        MSG unused;
        bool forCaller = false;
        FireTimer(*timer, 0, &unused, &forCaller);
    }
    clock_.AdvanceTo(target);
}

void World::ModalLoop(DWORD pid, const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        if (!GetMessage(pid, &msg)) {
            // The outer loop must see the quit too.
            PostQuit(pid, static_cast<INT>(msg.wParam));
            return;
        }
        Dispatch(msg);
    }
}

// --- timers and hot keys -----------------------------------------------------------

UINT_PTR World::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    if (!Find(hwnd))
        return 0;
    UINT period = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    std::erase_if(timers_, [&](const SimTimer& t) { return t.hwnd == hwnd && t.id == id; });
    SimTimer t;
    t.hwnd = hwnd;
    t.id = id;
    t.period = period;
    t.due = clock_.Now() + period;
    t.seq = nextTimerSeq_++;
    timers_.push_back(t);
    return id ? id : 1;
}

bool World::KillTimer(HWND hwnd, UINT_PTR id) {
    return std::erase_if(timers_, [&](const SimTimer& t) { return t.hwnd == hwnd && t.id == id; }) >
           0;
}

bool World::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk, DWORD* error) {
    constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
    if (!Find(hwnd)) {
        *error = ERROR_INVALID_WINDOW_HANDLE;
        return false;
    }
    UINT keyMods = modifiers & ~MOD_KEYUP;
    for (const SimHotKey& k : hotKeys_) {
        bool same = k.hwnd == hwnd && k.id == id;
        if (!same && k.vk == vk && (k.modifiers & ~MOD_KEYUP) == keyMods) {
            *error = ERROR_HOTKEY_ALREADY_REGISTERED;
            return false;
        }
    }
    if (ShellHolds(keyMods, vk)) {
        *error = ERROR_HOTKEY_ALREADY_REGISTERED;
        return false;
    }
    std::erase_if(hotKeys_, [&](const SimHotKey& k) { return k.hwnd == hwnd && k.id == id; });
    hotKeys_.push_back({hwnd, id, modifiers, vk});
    return true;
}

bool World::UnregisterHotKey(HWND hwnd, INT id) {
    return std::erase_if(hotKeys_,
                         [&](const SimHotKey& k) { return k.hwnd == hwnd && k.id == id; }) > 0;
}

void World::PostHotKey(const SimHotKey& k, bool keyUp) {
    UINT mods = k.modifiers & ~MOD_KEYUP;
    if (keyUp)
        mods |= MOD_KEYUP;
    Post(0, k.hwnd, WM_HOTKEY, static_cast<WPARAM>(k.id), MakeLParam(mods, k.vk));
}

// A hardware button carries the device's Win modifier by itself, so a press matches a
// registration of its key whatever modifiers it names.
void World::ButtonDown(UINT vk) {
    keysDown_.insert(vk);
    bool taken = false;
    std::vector<SimHotKey> keys = hotKeys_;
    for (const SimHotKey& k : keys) {
        if (k.vk != vk)
            continue;
        taken = true;
        if (!(k.modifiers & MOD_KEYUP))
            PostHotKey(k, false);
    }
    if (!taken)
        for (const auto& [mods, key] : shellKeys_)
            if (key == vk) {
                ++shellPresses_[vk];
                break;
            }
}

void World::ButtonUp(UINT vk) {
    keysDown_.erase(vk);
    std::vector<SimHotKey> keys = hotKeys_;
    for (const SimHotKey& k : keys)
        if (k.vk == vk && (k.modifiers & MOD_KEYUP))
            PostHotKey(k, true);
}

void World::SetKeyDown(UINT vk, bool down) {
    if (down)
        keysDown_.insert(vk);
    else {
        keysDown_.erase(vk);
        keysHeldUntil_.erase(vk);
    }
}

void World::HoldKeyUntil(UINT vk, unsigned long long t) {
    keysHeldUntil_[vk] = t;
}

bool World::KeyDown(UINT vk) const {
    if (keysDown_.count(vk))
        return true;
    auto it = keysHeldUntil_.find(vk);
    return it != keysHeldUntil_.end() && clock_.Now() <= it->second;
}

bool World::ShellHolds(UINT modifiers, UINT vk) const {
    return shellKeys_.count({modifiers, vk}) != 0;
}

void World::ShellRelease(UINT modifiers, UINT vk) {
    shellKeys_.erase({modifiers, vk});
}

void World::ShellTake(UINT modifiers, UINT vk) {
    shellKeys_.insert({modifiers, vk});
}

int World::ShellButtonPresses(UINT vk) const {
    auto it = shellPresses_.find(vk);
    return it == shellPresses_.end() ? 0 : it->second;
}

}  // namespace velk::sim

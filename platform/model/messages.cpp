// The model's message queue on its time source: sent and posted messages, GetMessage,
// timers, nested modal loops, hot keys and the hardware buttons.
#include "platform/model/window_model.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::model {

namespace {

constexpr UINT USER_TIMER_MINIMUM = 10;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
constexpr std::size_t kMessageStorm = 100000;

LPARAM MakeLParam(UINT lo, UINT hi) {
    return static_cast<LPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

}  // namespace

// --- messages ----------------------------------------------------------------------

LRESULT WindowModel::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    if (w->handler)
        return w->handler->WindowProc(hwnd, message, wParam, lParam);
    return DefWindowProc(hwnd, message, wParam, lParam);
}

bool WindowModel::Post(DWORD fromPid, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD pid = fromPid;
    if (hwnd) {
        Window* w = Find(hwnd);
        if (!w)
            return false;
        pid = w->pid;
    }
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(time_.Now());
    posted_.push_back({msg, pid});
    return true;
}

void WindowModel::PostQuit(DWORD pid, INT exitCode) {
    Client& p = ClientOf(pid);
    p.quitPending = true;
    p.quitCode = exitCode;
}

void WindowModel::RecordDelivery(const MSG& msg) {
    if (msg.message != WM_NULL && deliveryHook_)
        deliveryHook_(msg);
}

void WindowModel::Deliver(const MSG& msg) {
    if (!msg.hwnd || !Find(msg.hwnd))
        return;
    RecordDelivery(msg);
    Send(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

WindowModel::Step WindowModel::TakePosted(DWORD pid, MSG* msg) {
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
        const Client* other = FindClient(p.pid);
        if (other && other->running)
            Deliver(p.msg);
        if (++handled > kMessageStorm)
            throw UsageError("message storm: windows keep posting to each other");
    }
    Client& self = ClientOf(pid);
    if (self.quitPending) {
        self.quitPending = false;
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(self.quitCode);
        msg->time = static_cast<DWORD>(time_.Now());
        return Step::Quit;
    }
    return Step::Nothing;
}

std::optional<std::size_t> WindowModel::NextTimer() const {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        const Timer& t = timers_[i];
        if (!best || t.due < timers_[*best].due ||
            (t.due == timers_[*best].due && t.seq < timers_[*best].seq))
            best = i;
    }
    return best;
}

void WindowModel::FireTimer(std::size_t index, DWORD pid, MSG* msg, bool* forCaller) {
    Timer t = timers_[index];
    unsigned long long now = std::max(time_.Now(), t.due);
    unsigned long long next = t.due + t.period;
    if (next <= now)
        next = t.due + ((now - t.due) / t.period + 1) * t.period;
    timers_[index].due = next;

    MSG m;
    m.hwnd = t.hwnd;
    m.message = WM_TIMER;
    m.wParam = t.id;
    m.time = static_cast<DWORD>(now);
    const Window* w = Find(t.hwnd);
    *forCaller = false;
    if (w && w->pid == pid) {
        *msg = m;
        *forCaller = true;
        RecordDelivery(m);
        return;
    }
    Deliver(m);
}

bool WindowModel::GetMessage(DWORD pid, MSG* msg) {
    if (!ClientOf(pid).running)
        throw UsageError("process " + std::to_string(pid) + " has exited but still pumps messages");
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
            msg->time = static_cast<DWORD>(time_.Now());
            return true;
        }
        std::optional<std::size_t> timer = NextTimer();
        std::optional<unsigned long long> due;
        if (timer)
            due = timers_[*timer].due;
        if (time_.WaitUntil(due, pid) == WaitEnd::Woken) {
            woke = true;
            continue;
        }
        if (!timer || time_.Now() < *due)
            continue;  // woke early: look again
        bool forCaller = false;
        FireTimer(*timer, pid, msg, &forCaller);
        if (forCaller)
            return true;
    }
}

LRESULT WindowModel::Dispatch(const MSG& msg) {
    if (!msg.hwnd)
        return 0;
    return Send(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

UINT WindowModel::RegisterWindowMessage(const std::u16string& name) {
    const std::u16string folded = Folded(name);
    auto it = registeredMessages_.find(folded);
    if (it != registeredMessages_.end())
        return it->second;
    UINT id = 0xC000 + static_cast<UINT>(registeredMessages_.size());
    registeredMessages_[folded] = id;
    return id;
}

void WindowModel::DispatchPosted() {
    std::size_t handled = 0;
    while (!posted_.empty()) {
        Posted p = posted_.front();
        posted_.pop_front();
        const Client* proc = FindClient(p.pid);
        if (proc && proc->running)
            Deliver(p.msg);
        if (++handled > kMessageStorm)
            throw UsageError("message storm: windows keep posting to each other");
    }
}

std::optional<unsigned long long> WindowModel::NextTimerDue() const {
    std::optional<std::size_t> timer = NextTimer();
    if (!timer)
        return std::nullopt;
    return timers_[*timer].due;
}

void WindowModel::FireNextTimer() {
    std::optional<std::size_t> timer = NextTimer();
    if (!timer)
        return;
    MSG unused;
    bool forCaller = false;
    FireTimer(*timer, 0, &unused, &forCaller);
}

void WindowModel::ModalLoop(DWORD pid, const std::function<bool()>& done) {
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

UINT_PTR WindowModel::SetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    if (!Find(hwnd))
        return 0;
    UINT period = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    Timer t;
    t.hwnd = hwnd;
    t.id = id;
    t.period = period;
    t.due = time_.Now() + period;
    t.seq = nextTimerSeq_++;
    timers_.push_back(t);
    return id ? id : 1;
}

bool WindowModel::KillTimer(HWND hwnd, UINT_PTR id) {
    return std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) > 0;
}

bool WindowModel::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk, DWORD* error) {
    constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
    if (!Find(hwnd)) {
        *error = ERROR_INVALID_WINDOW_HANDLE;
        return false;
    }
    UINT keyMods = modifiers & ~MOD_KEYUP;
    for (const HotKey& k : hotKeys_) {
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
    std::erase_if(hotKeys_, [&](const HotKey& k) { return k.hwnd == hwnd && k.id == id; });
    hotKeys_.push_back({hwnd, id, modifiers, vk});
    return true;
}

bool WindowModel::UnregisterHotKey(HWND hwnd, INT id) {
    return std::erase_if(hotKeys_, [&](const HotKey& k) { return k.hwnd == hwnd && k.id == id; }) >
           0;
}

void WindowModel::PostHotKey(const HotKey& k, bool keyUp) {
    UINT mods = k.modifiers & ~MOD_KEYUP;
    if (keyUp)
        mods |= MOD_KEYUP;
    Post(0, k.hwnd, WM_HOTKEY, static_cast<WPARAM>(k.id), MakeLParam(mods, k.vk));
}

// A hardware button carries the device's Win modifier by itself, so a press matches a
// registration of its key whatever modifiers it names.
void WindowModel::ButtonDown(UINT vk) {
    keysDown_.insert(vk);
    bool taken = false;
    std::vector<HotKey> keys = hotKeys_;
    for (const HotKey& k : keys) {
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

void WindowModel::ButtonUp(UINT vk) {
    keysDown_.erase(vk);
    std::vector<HotKey> keys = hotKeys_;
    for (const HotKey& k : keys)
        if (k.vk == vk && (k.modifiers & MOD_KEYUP))
            PostHotKey(k, true);
}

void WindowModel::SetKeyDown(UINT vk, bool down) {
    if (down)
        keysDown_.insert(vk);
    else {
        keysDown_.erase(vk);
        keysHeldUntil_.erase(vk);
    }
}

void WindowModel::HoldKeyUntil(UINT vk, unsigned long long t) {
    keysHeldUntil_[vk] = t;
}

bool WindowModel::KeyDown(UINT vk) const {
    if (keysDown_.count(vk))
        return true;
    auto it = keysHeldUntil_.find(vk);
    return it != keysHeldUntil_.end() && time_.Now() <= it->second;
}

bool WindowModel::ShellHolds(UINT modifiers, UINT vk) const {
    return shellKeys_.count({modifiers, vk}) != 0;
}

void WindowModel::ShellRelease(UINT modifiers, UINT vk) {
    shellKeys_.erase({modifiers, vk});
}

void WindowModel::ShellTake(UINT modifiers, UINT vk) {
    shellKeys_.insert({modifiers, vk});
}

int WindowModel::ShellButtonPresses(UINT vk) const {
    auto it = shellPresses_.find(vk);
    return it == shellPresses_.end() ? 0 : it->second;
}

}  // namespace velk::model

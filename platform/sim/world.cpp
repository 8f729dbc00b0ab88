#include "platform/sim/world.h"

#include <algorithm>
#include <cstdio>

#include "platform/strings.h"

namespace velk::sim {

namespace {

constexpr UINT USER_TIMER_MINIMUM = 10;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr INT SW_SHOWNOACTIVATE = 4;
constexpr INT SW_SHOWNA = 8;
constexpr DWORD SS_TYPEMASK = 0x001F;
constexpr std::size_t kMessageStorm = 100000;
constexpr std::size_t kDriverSpin = 100000;

bool EqualFolded(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

// The text of a menu item as the user reads it: "&" marks the mnemonic, "&&" is an "&".
std::u16string WithoutMnemonic(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

bool IsClass(const SimWindow& w, std::u16string_view name) {
    return EqualFolded(w.className, name);
}

bool IsRadio(const SimWindow& w) {
    DWORD type = w.style & BS_TYPEMASK;
    return IsClass(w, kClassButton) && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

LPARAM MakeLParam(UINT lo, UINT hi) {
    return static_cast<LPARAM>((lo & 0xFFFF) | ((hi & 0xFFFF) << 16));
}

}  // namespace

std::string TraceString(const char16_t* s) {
    if (!s)
        return "null";
    return "\"" + ToUtf8(s) + "\"";
}

std::string TraceHandle(std::uintptr_t value) {
    if (value == 0)
        return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(value));
    return buf;
}

std::string MessageName(UINT message) {
    switch (message) {
        case WM_NULL:
            return "WM_NULL";
        case WM_CREATE:
            return "WM_CREATE";
        case WM_DESTROY:
            return "WM_DESTROY";
        case WM_ACTIVATE:
            return "WM_ACTIVATE";
        case WM_SETFOCUS:
            return "WM_SETFOCUS";
        case WM_PAINT:
            return "WM_PAINT";
        case WM_CLOSE:
            return "WM_CLOSE";
        case WM_QUIT:
            return "WM_QUIT";
        case WM_SETTINGCHANGE:
            return "WM_SETTINGCHANGE";
        case WM_INITDIALOG:
            return "WM_INITDIALOG";
        case WM_COMMAND:
            return "WM_COMMAND";
        case WM_TIMER:
            return "WM_TIMER";
        case WM_LBUTTONDOWN:
            return "WM_LBUTTONDOWN";
        case WM_LBUTTONUP:
            return "WM_LBUTTONUP";
        case WM_HOTKEY:
            return "WM_HOTKEY";
        default:
            break;
    }
    if (message >= WM_USER && message < 0x8000)
        return "WM_USER+" + std::to_string(message - WM_USER);
    return std::to_string(message);
}

World::World(Clock& clock, Trace& trace)
    : clock_(clock), trace_(trace), menuSource_([](WORD id) { return FindMenuTemplate(id); }) {
    // The shell of the handheld keeps Application Button 1 for itself until someone
    // takes it with UnregisterFunc1.
    shellKeys_.insert({MOD_WIN, VK_APP1});
}

// --- processes ---------------------------------------------------------------------

DWORD World::AddProcess(std::u16string modulePath, bool traced) {
    DWORD pid = nextPid_;
    nextPid_ += 4;
    SimProcessInfo& p = processes_[pid];
    p.pid = pid;
    p.modulePath = std::move(modulePath);
    p.traced = traced;
    return pid;
}

void World::ExitProcess(DWORD pid, DWORD exitCode) {
    SimProcessInfo& p = Process(pid);
    if (!p.running)
        return;
    p.running = false;
    p.exitCode = exitCode;
    p.quitPending = false;
    // The process's code is gone: its windows go without telling their handlers.
    for (auto& [value, w] : windows_)
        if (w->pid == pid)
            w->handler = nullptr;
    std::vector<HWND> own;
    for (HWND h : zOrder_)
        if (Find(h) && Find(h)->pid == pid)
            own.push_back(h);
    for (HWND h : own)
        DestroyWindow(h);
    std::erase_if(icons_, [&](const IconRecord& r) { return r.pid == pid; });
    std::erase_if(posted_, [&](const Posted& m) { return m.pid == pid; });
    SimProcessInfo& after = Process(pid);
    for (std::uintptr_t h : after.mutexHandles) {
        auto it = mutexHandles_.find(h);
        if (it == mutexHandles_.end())
            continue;
        if (--mutexOpenCounts_[it->second] <= 0)
            mutexOpenCounts_.erase(it->second);
        mutexHandles_.erase(it);
    }
    after.mutexHandles.clear();
}

SimProcessInfo& World::Process(DWORD pid) {
    auto it = processes_.find(pid);
    if (it == processes_.end())
        throw SimError("no process with id " + std::to_string(pid));
    return it->second;
}

const SimProcessInfo* World::FindProcess(DWORD pid) const {
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
}

bool World::Traced(DWORD pid) const {
    const SimProcessInfo* p = FindProcess(pid);
    return p && p->traced;
}

// --- windows -----------------------------------------------------------------------

SimWindow* World::Find(HWND hwnd) {
    auto it = windows_.find(hwnd.value);
    return it == windows_.end() ? nullptr : it->second.get();
}

const SimWindow* World::Find(HWND hwnd) const {
    auto it = windows_.find(hwnd.value);
    return it == windows_.end() ? nullptr : it->second.get();
}

SimWindow& World::Get(HWND hwnd) {
    SimWindow* w = Find(hwnd);
    if (!w)
        throw SimError("no window with handle " + TraceHandle(hwnd.value));
    return *w;
}

HWND World::NewHandle() {
    // Handles are multiples of four: SetForegroundWindow reads the lowest bit as a flag.
    HWND h{nextHwnd_};
    nextHwnd_ += 4;
    return h;
}

bool World::RegisterClass(const std::u16string& name) {
    std::u16string folded = name;
    Fold(folded);
    return classes_.insert(folded).second;
}

HWND World::CreateWindow(DWORD pid, DWORD exStyle, const char16_t* className,
                         const char16_t* windowName, DWORD style, INT x, INT y, INT width,
                         INT height, HWND parent, UINT_PTR idOrMenu, IWindowHandler* handler) {
    bool child = (style & WS_CHILD) != 0;
    SimWindow* parentWindow = parent ? Find(parent) : nullptr;
    if (parent && !parentWindow)
        return HWND{};
    if (child && !parentWindow)
        return HWND{};

    auto w = std::make_unique<SimWindow>();
    HWND hwnd = NewHandle();
    w->hwnd = hwnd;
    w->pid = pid;
    w->className = className ? className : u"";
    w->caption = windowName ? windowName : u"";
    w->style = style;
    w->exStyle = exStyle;
    w->handler = handler;
    if (child) {
        w->parent = parent;
        w->id = static_cast<INT>(idOrMenu);
        w->rect = {parentWindow->rect.left + x, parentWindow->rect.top + y,
                   parentWindow->rect.left + x + width, parentWindow->rect.top + y + height};
        parentWindow->children.push_back(hwnd);
    } else {
        w->owner = parent;
        w->rect = {x, y, x + width, y + height};
        zOrder_.insert(zOrder_.begin(), hwnd);
    }
    windows_[hwnd.value] = std::move(w);

    if (handler) {
        if (Send(hwnd, WM_NCCREATE, 0, 0) == 0) {
            DestroyTree(hwnd);
            return HWND{};
        }
        if (Send(hwnd, WM_CREATE, 0, 0) == -1) {
            DestroyTree(hwnd);
            return HWND{};
        }
    }
    SimWindow* created = Find(hwnd);
    if (!created)
        return HWND{};
    if (!child && (created->style & WS_VISIBLE)) {
        BringToFront(hwnd);
        ChangeForeground(hwnd);
    }
    return hwnd;
}

bool World::DestroyWindow(HWND hwnd) {
    SimWindow* w = Find(hwnd);
    if (!w || w->destroying)
        return false;
    DestroyTree(hwnd);
    return true;
}

void World::DestroyTree(HWND hwnd) {
    SimWindow* w = Find(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    if (!w->IsChild()) {
        std::vector<HWND> owned;
        for (HWND h : zOrder_) {
            SimWindow* o = Find(h);
            if (o && o->owner == hwnd && !o->destroying)
                owned.push_back(h);
        }
        for (HWND h : owned)
            DestroyTree(h);
        // A window is hidden before it goes, so the foreground passes on first.
        Get(hwnd).style &= ~WS_VISIBLE;
        if (foreground_ == hwnd)
            ChangeForeground(NextVisibleTopLevel(hwnd));
    }
    Send(hwnd, WM_DESTROY, 0, 0);
    if (SimWindow* again = Find(hwnd)) {
        std::vector<HWND> children = again->children;
        for (HWND c : children)
            DestroyTree(c);
    }
    Send(hwnd, WM_NCDESTROY, 0, 0);
    Unlink(hwnd);
}

void World::Unlink(HWND hwnd) {
    SimWindow* w = Find(hwnd);
    if (!w)
        return;
    std::erase_if(timers_, [&](const SimTimer& t) { return t.hwnd == hwnd; });
    std::erase_if(hotKeys_, [&](const SimHotKey& k) { return k.hwnd == hwnd; });
    std::erase(zOrder_, hwnd);
    if (w->parent)
        if (SimWindow* p = Find(w->parent))
            std::erase(p->children, hwnd);
    if (foreground_ == hwnd)
        foreground_ = HWND{};
    if (focus_ == hwnd)
        focus_ = HWND{};
    windows_.erase(hwnd.value);
}

LRESULT World::DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* w = Find(hwnd);
    if (!w)
        return 0;
    if (message == WM_NCCREATE)
        return 1;
    if (message == WM_CLOSE) {
        if (w->isDialog) {
            // A dialog closes through its Cancel command, as if Cancel were pressed.
            HWND cancel = GetDlgItem(hwnd, IDCANCEL);
            Post(w->pid, hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 static_cast<LPARAM>(cancel.value));
        } else {
            DestroyWindow(hwnd);
        }
        return 0;
    }
    return ControlProc(*w, message, wParam, lParam);
}

LRESULT World::ControlProc(SimWindow& w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsClass(w, kClassButton)) {
        if (message == WM_LBUTTONUP) {
            // The user's tap, posted by the control API: it acts as a click.
            ClickButton(w.hwnd);
            return 0;
        }
        if (message == BM_GETCHECK)
            return w.check;
        if (message == BM_SETCHECK) {
            w.check = static_cast<int>(wParam);
            return 0;
        }
        return 0;
    }
    if (!IsClass(w, kClassComboBox))
        return 0;
    auto count = static_cast<LRESULT>(w.items.size());
    auto index = static_cast<LRESULT>(static_cast<INT>(wParam));
    switch (message) {
        case CB_ADDSTRING:
            w.items.emplace_back(lParam ? reinterpret_cast<const char16_t*>(lParam) : u"");
            return count;
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return w.selection < 0 ? CB_ERR : w.selection;
        case CB_SETCURSEL:
            if (index < 0 || index >= count) {
                w.selection = -1;
                return CB_ERR;
            }
            w.selection = static_cast<int>(index);
            return index;
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= count)
                return CB_ERR;
            return static_cast<LRESULT>(w.items[index].size());
        case CB_GETLBTEXT: {
            if (index < 0 || index >= count || !lParam)
                return CB_ERR;
            const std::u16string& item = w.items[index];
            auto* out = reinterpret_cast<char16_t*>(lParam);
            std::copy(item.begin(), item.end(), out);
            out[item.size()] = u'\0';
            return static_cast<LRESULT>(item.size());
        }
        case CB_RESETCONTENT:
            w.items.clear();
            w.selection = -1;
            return 0;
        default:
            return 0;
    }
}

HWND World::FindWindow(const char16_t* className, const char16_t* windowName) const {
    for (HWND h : zOrder_) {
        const SimWindow* w = Find(h);
        if (!w || w->destroying)
            continue;
        if (className && !EqualFolded(w->className, className))
            continue;
        if (windowName && !EqualFolded(w->caption, windowName))
            continue;
        return h;
    }
    return HWND{};
}

HWND World::TopLevelOf(HWND hwnd) const {
    const SimWindow* w = Find(hwnd);
    while (w && w->IsChild()) {
        hwnd = w->parent;
        w = Find(hwnd);
    }
    return w ? hwnd : HWND{};
}

void World::BringToFront(HWND hwnd) {
    auto it = std::find(zOrder_.begin(), zOrder_.end(), hwnd);
    if (it == zOrder_.end())
        return;
    zOrder_.erase(it);
    zOrder_.insert(zOrder_.begin(), hwnd);
}

void World::ChangeForeground(HWND hwnd) {
    if (hwnd == foreground_)
        return;
    HWND old = foreground_;
    foreground_ = hwnd;
    if (old)
        Send(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(hwnd.value));
    if (hwnd && foreground_ == hwnd)
        Send(hwnd, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old.value));
}

HWND World::NextVisibleTopLevel(HWND except) const {
    for (HWND h : zOrder_) {
        const SimWindow* w = Find(h);
        if (h == except || !w || w->destroying || w->noActivate)
            continue;
        if (w->style & WS_VISIBLE)
            return h;
    }
    return HWND{};
}

bool World::SetForeground(HWND hwnd) {
    bool withOwned = (hwnd.value & 1) != 0;
    HWND top = TopLevelOf(HWND{hwnd.value & ~std::uintptr_t{1}});
    if (!top)
        return false;
    BringToFront(top);
    HWND target = top;
    if (withOwned) {
        // The flag brings the window's frontmost owned pop-up forward with it.
        for (HWND h : zOrder_) {
            const SimWindow* w = Find(h);
            if (w && w->owner == top && (w->style & WS_VISIBLE) && !w->noActivate) {
                BringToFront(h);
                target = h;
                break;
            }
        }
    }
    ChangeForeground(target);
    return true;
}

void World::ClearForeground() {
    ChangeForeground(HWND{});
}

bool World::ShowWindow(HWND hwnd, INT cmdShow) {
    SimWindow* w = Find(hwnd);
    if (!w)
        return false;
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (cmdShow == SW_HIDE) {
        w->style &= ~WS_VISIBLE;
        if (foreground_ && TopLevelOf(foreground_) == hwnd)
            ChangeForeground(NextVisibleTopLevel(hwnd));
        return wasVisible;
    }
    w->style |= WS_VISIBLE;
    if (!w->IsChild() && !w->noActivate && cmdShow != SW_SHOWNA && cmdShow != SW_SHOWNOACTIVATE) {
        BringToFront(hwnd);
        ChangeForeground(hwnd);
    }
    return wasVisible;
}

bool World::IsVisible(HWND hwnd) const {
    const SimWindow* w = Find(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->IsChild())
            return true;
        w = Find(w->parent);
    }
    return false;
}

void World::SetRect(HWND hwnd, const RECT& rect) {
    SimWindow& w = Get(hwnd);
    LONG dx = rect.left - w.rect.left;
    LONG dy = rect.top - w.rect.top;
    w.rect = rect;
    if (dx == 0 && dy == 0)
        return;
    std::vector<HWND> pending = w.children;
    while (!pending.empty()) {
        HWND c = pending.back();
        pending.pop_back();
        SimWindow* cw = Find(c);
        if (!cw)
            continue;
        cw->rect = {cw->rect.left + dx, cw->rect.top + dy, cw->rect.right + dx,
                    cw->rect.bottom + dy};
        pending.insert(pending.end(), cw->children.begin(), cw->children.end());
    }
}

bool World::SetWindowPos(HWND hwnd, INT x, INT y, INT cx, INT cy, UINT flags) {
    SimWindow* w = Find(hwnd);
    if (!w)
        return false;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        LONG ox = 0;
        LONG oy = 0;
        if (w->IsChild())
            if (const SimWindow* p = Find(w->parent)) {
                ox = p->rect.left;
                oy = p->rect.top;
            }
        LONG width = r.right - r.left;
        LONG height = r.bottom - r.top;
        r = {ox + x, oy + y, ox + x + width, oy + y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    SetRect(hwnd, r);
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return true;
}

HWND World::SetFocus(HWND hwnd) {
    HWND old = focus_;
    if (hwnd && !Find(hwnd))
        return HWND{};
    focus_ = hwnd;
    if (hwnd && hwnd != old)
        Send(hwnd, WM_SETFOCUS, static_cast<WPARAM>(old.value), 0);
    return old;
}

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
    std::u16string folded = name;
    Fold(folded);
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

// --- dialogs -----------------------------------------------------------------------

HWND World::CreateDialog(DWORD pid, const DialogTemplate& tmpl, HWND parent,
                         IWindowHandler* handler) {
    if (parent && !Find(parent))
        return HWND{};
    LONG cx = DialogUnitsX(tmpl.cx);
    LONG cy = DialogUnitsY(tmpl.cy);
    RECT area = WorkArea();
    LONG x = area.left;
    LONG y = area.top;
    if (tmpl.style & DS_CENTER) {
        x = area.left + (area.right - area.left - cx) / 2;
        y = area.top + (area.bottom - area.top - cy) / 2;
    }

    auto d = std::make_unique<SimWindow>();
    HWND hwnd = NewHandle();
    d->hwnd = hwnd;
    d->pid = pid;
    d->className = u"#32770";
    d->caption = tmpl.caption ? tmpl.caption : u"";
    // Shown after WM_INITDIALOG, as the dialog manager does.
    d->style = tmpl.style & ~WS_VISIBLE;
    d->exStyle = tmpl.exStyle;
    d->owner = parent;
    d->rect = {x, y, x + cx, y + cy};
    d->isDialog = true;
    d->doneButton = (tmpl.exStyle & WS_EX_CAPTIONOKBTN) != 0;
    d->handler = handler;
    windows_[hwnd.value] = std::move(d);
    zOrder_.insert(zOrder_.begin(), hwnd);

    for (const DialogItemTemplate& item : tmpl.items) {
        std::u16string cls = item.windowClass ? item.windowClass : u"";
        // The input-panel preference control comes with the Pocket PC shell only.
        if (EqualFolded(cls, kClassSipPref) && !shellLibraryPresent)
            continue;
        auto c = std::make_unique<SimWindow>();
        HWND ch = NewHandle();
        c->hwnd = ch;
        c->pid = pid;
        c->className = cls;
        c->caption = item.text ? item.text : u"";
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        c->parent = hwnd;
        c->id = item.id;
        LONG left = x + DialogUnitsX(item.x);
        LONG top = y + DialogUnitsY(item.y);
        c->rect = {left, top, left + DialogUnitsX(item.cx), top + DialogUnitsY(item.cy)};
        if (EqualFolded(cls, kClassStatic) && (item.style & SS_TYPEMASK) == SS_ICON)
            c->iconResource = item.iconResource;
        windows_[ch.value] = std::move(c);
        Get(hwnd).children.push_back(ch);
    }

    Send(hwnd, WM_INITDIALOG, 0, 0);
    if (Find(hwnd) && (tmpl.style & WS_VISIBLE))
        ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : HWND{};
}

HWND World::GetDlgItem(HWND dialog, INT id) const {
    const SimWindow* d = Find(dialog);
    if (!d)
        return HWND{};
    for (HWND c : d->children) {
        const SimWindow* w = Find(c);
        if (w && w->id == id)
            return c;
    }
    return HWND{};
}

std::vector<HWND> World::RadioGroup(HWND button) const {
    const SimWindow* b = Find(button);
    if (!b || !b->IsChild())
        return {};
    const SimWindow* d = Find(b->parent);
    const std::vector<HWND>& all = d->children;
    auto at = std::find(all.begin(), all.end(), button);
    std::size_t index = static_cast<std::size_t>(at - all.begin());
    std::size_t start = index;
    while (start > 0 && !(Find(all[start])->style & WS_GROUP))
        --start;
    std::size_t end = index + 1;
    while (end < all.size() && !(Find(all[end])->style & WS_GROUP))
        ++end;
    std::vector<HWND> group;
    for (std::size_t i = start; i < end; ++i)
        if (IsRadio(*Find(all[i])))
            group.push_back(all[i]);
    return group;
}

void World::ClickButton(HWND button) {
    SimWindow& b = Get(button);
    if (IsClass(b, kClassButton)) {
        DWORD type = b.style & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX)
            b.check = b.check ? 0 : 1;
        else if (type == BS_AUTO3STATE)
            b.check = (b.check + 1) % 3;
        else if (type == BS_AUTORADIOBUTTON) {
            for (HWND r : RadioGroup(button))
                Get(r).check = 0;
            b.check = 1;
        }
    }
    HWND parent = b.parent;
    Send(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(b.id), BN_CLICKED),
         static_cast<LPARAM>(button.value));
}

int World::MessageBox(DWORD pid, HWND owner, const char16_t* text, const char16_t* caption,
                      UINT type) {
    auto box = std::make_shared<MessageBoxRecord>();
    box->owner = owner;
    box->text = text ? text : u"";
    box->caption = caption ? caption : u"Error";
    box->type = type;
    box->pid = pid;
    HWND previous = foreground_;

    auto w = std::make_unique<SimWindow>();
    HWND hwnd = NewHandle();
    w->hwnd = hwnd;
    w->pid = pid;
    w->className = u"#32770";
    w->caption = box->caption;
    w->style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    HWND validOwner = Find(owner) ? owner : HWND{};
    w->owner = validOwner;
    RECT area = WorkArea();
    LONG cx = 200;
    LONG cy = 100;
    LONG x = area.left + (area.right - area.left - cx) / 2;
    LONG y = area.top + (area.bottom - area.top - cy) / 2;
    w->rect = {x, y, x + cx, y + cy};
    w->isMessageBox = true;
    w->messageBoxType = type;
    windows_[hwnd.value] = std::move(w);
    zOrder_.insert(zOrder_.begin(), hwnd);
    box->hwnd = hwnd;
    messageBoxes_.push_back(box);
    ChangeForeground(hwnd);

    ModalLoop(pid, [&] {
        return box->dismissed || !Find(box->hwnd) || (validOwner && !Find(validOwner));
    });

    std::erase(messageBoxes_, box);
    if (Find(hwnd)) {
        // The foreground goes back to the window that had it.
        if (foreground_ == hwnd)
            ChangeForeground(Find(previous) ? previous : NextVisibleTopLevel(hwnd));
        DestroyTree(hwnd);
    }
    return box->dismissed ? IDOK : 0;
}

void World::DismissMessageBox() {
    for (auto it = messageBoxes_.rbegin(); it != messageBoxes_.rend(); ++it)
        if (!(*it)->dismissed) {
            (*it)->dismissed = true;
            return;
        }
    throw SimError("no message box is shown");
}

// --- menus and icons ---------------------------------------------------------------

HMENU World::BuildMenu(std::span<const MenuItemTemplate> items, HMENU parent) {
    HMENU h{nextMenu_};
    nextMenu_ += 4;
    SimMenu menu;
    menu.parent = parent;
    for (const MenuItemTemplate& t : items) {
        SimMenuItem item;
        if (!t.text) {
            item.separator = true;
        } else {
            item.text = t.text;
            item.id = t.id;
            if (!t.popup.empty())
                item.popup = BuildMenu(t.popup, h);
        }
        menu.items.push_back(std::move(item));
    }
    menuTable_[h.value] = std::move(menu);
    return h;
}

HMENU World::LoadMenu(WORD resourceId) {
    const MenuTemplate* tmpl = menuSource_ ? menuSource_(resourceId) : nullptr;
    if (!tmpl)
        return HMENU{};
    return BuildMenu(tmpl->items, HMENU{});
}

const SimMenu* World::FindMenu(HMENU menu) const {
    auto it = menuTable_.find(menu.value);
    return it == menuTable_.end() ? nullptr : &it->second;
}

HMENU World::GetSubMenu(HMENU menu, INT pos) const {
    const SimMenu* m = FindMenu(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size())
        return HMENU{};
    return m->items[pos].popup;
}

bool World::DestroyMenu(HMENU menu) {
    auto it = menuTable_.find(menu.value);
    if (it == menuTable_.end())
        return false;
    std::vector<HMENU> popups;
    for (const SimMenuItem& item : it->second.items)
        if (item.popup)
            popups.push_back(item.popup);
    menuTable_.erase(it);
    for (HMENU p : popups)
        DestroyMenu(p);
    return true;
}

bool World::TrackPopupMenu(DWORD pid, HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    const SimMenu* m = FindMenu(menu);
    if (!m || !Find(owner))
        return false;
    auto open = std::make_shared<TrackedMenu>();
    open->menu = menu;
    open->flags = flags;
    open->x = x;
    open->y = y;
    open->owner = owner;
    open->pid = pid;
    for (const SimMenuItem& item : m->items)
        if (!item.separator)
            open->items.push_back(item.text);
    menus_.push_back(open);

    ModalLoop(pid, [&] { return open->closed || !Find(owner); });

    std::erase(menus_, open);
    if (open->chosen && Find(owner))
        Post(pid, owner, WM_COMMAND, *open->chosen, 0);
    return true;
}

void World::ChooseMenuItem(const std::u16string& text) {
    std::shared_ptr<TrackedMenu> open;
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (!(*it)->closed) {
            open = *it;
            break;
        }
    if (!open)
        throw SimError("no menu is open to choose \"" + ToUtf8(text) + "\" from");

    // Searches the shown menu and its pop-ups, in order.
    std::function<const SimMenuItem*(HMENU)> search = [&](HMENU h) -> const SimMenuItem* {
        const SimMenu* m = FindMenu(h);
        if (!m)
            return nullptr;
        for (const SimMenuItem& item : m->items) {
            if (item.separator)
                continue;
            if (EqualFolded(item.text, text) ||
                EqualFolded(WithoutMnemonic(item.text), WithoutMnemonic(text)))
                return &item;
            if (item.popup)
                if (const SimMenuItem* inner = search(item.popup))
                    return inner;
        }
        return nullptr;
    };
    const SimMenuItem* item = search(open->menu);
    if (!item) {
        std::string shown;
        for (const std::u16string& t : open->items)
            shown += (shown.empty() ? "\"" : ", \"") + ToUtf8(t) + "\"";
        throw SimError("the open menu has no item \"" + ToUtf8(text) + "\"; it shows " + shown);
    }
    if (item->popup)
        throw SimError("menu item \"" + ToUtf8(text) +
                       "\" opens a sub-menu; choose one of its items");
    open->chosen = item->id;
    open->closed = true;
}

void World::CancelMenu() {
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (!(*it)->closed) {
            (*it)->closed = true;
            return;
        }
    throw SimError("no menu is open to cancel");
}

HICON World::LoadIcon(WORD resourceId) {
    for (const auto& [handle, id] : iconTable_)
        if (id == resourceId)
            return HICON{handle};
    HICON h{nextIcon_};
    nextIcon_ += 4;
    iconTable_[h.value] = resourceId;
    return h;
}

WORD World::IconResource(HICON icon) const {
    auto it = iconTable_.find(icon.value);
    return it == iconTable_.end() ? 0 : it->second;
}

// --- the shell ---------------------------------------------------------------------

bool World::NotifyIcon(DWORD pid, DWORD message, const NOTIFYICONDATA& data) {
    auto it = std::find_if(icons_.begin(), icons_.end(), [&](const IconRecord& r) {
        return r.data.hWnd == data.hWnd && r.data.uID == data.uID;
    });
    switch (message) {
        case NIM_ADD:
            if (it != icons_.end())
                return false;
            icons_.push_back({pid, data});
            return true;
        case NIM_MODIFY:
            if (it == icons_.end())
                return false;
            if (data.uFlags & NIF_MESSAGE)
                it->data.uCallbackMessage = data.uCallbackMessage;
            if (data.uFlags & NIF_ICON)
                it->data.hIcon = data.hIcon;
            if (data.uFlags & NIF_TIP)
                std::copy(std::begin(data.szTip), std::end(data.szTip), std::begin(it->data.szTip));
            return true;
        case NIM_DELETE:
            if (it == icons_.end())
                return false;
            icons_.erase(it);
            return true;
        default:
            return false;
    }
}

void World::SetScreen(LONG width, LONG height) {
    screenWidth_ = width;
    screenHeight_ = height;
}

HWND World::CreateMenuBar(DWORD pid, HWND parent) {
    if (!shellLibraryPresent)
        return HWND{};
    HWND bar = CreateWindow(pid, 0, u"menu_worker", u"", WS_POPUP, 0, MenuBarTop(), screenWidth_,
                            kMenuBarHeight, parent, 0, nullptr);
    if (!bar)
        return bar;
    // Visible along the bottom edge, but never the active window.
    SimWindow& w = Get(bar);
    w.noActivate = true;
    w.style |= WS_VISIBLE;
    return bar;
}

// --- kernel objects ----------------------------------------------------------------

HANDLE World::CreateMutex(DWORD pid, const char16_t* name, bool* existed) {
    SimProcessInfo& p = Process(pid);
    std::uintptr_t h = nextMutex_;
    nextMutex_ += 4;
    std::u16string key;
    if (name && *name)
        key = name;
    else
        key = std::u16string(1, u'\0') + FromUtf8(std::to_string(h));
    int& count = mutexOpenCounts_[key];
    *existed = count > 0 && name && *name;
    ++count;
    mutexHandles_[h] = key;
    p.mutexHandles.push_back(h);
    return HANDLE{h};
}

bool World::MutexExists(const std::u16string& name) const {
    auto it = mutexOpenCounts_.find(name);
    return it != mutexOpenCounts_.end() && it->second > 0;
}

}  // namespace velk::sim

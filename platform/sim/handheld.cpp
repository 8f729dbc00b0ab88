#include "platform/sim/handheld.h"

#include "platform/sim/trace.h"
#include "platform/strings.h"

namespace velk::sim {

SimHandheld::SimHandheld()
    : registry_(trace_, clock_),
      power_(clock_),
      bluetooth_(options_),
      world_(time_, trace_, options_) {
    widcommPid_ = CreatePeerProcess(u"\\Windows\\BtConsole.exe");
    widcomm_ = std::make_unique<WidcommConsole>(WindowsFor(widcommPid_), registry_);
}

SimHandheld::~SimHandheld() = default;

// --- processes ---------------------------------------------------------------------

DWORD SimHandheld::AddProcess(std::u16string modulePath, bool traced) {
    DWORD pid = world_.AddProcess(std::move(modulePath), traced);
    views_[pid] = std::make_unique<Views>(world_, pid, trace_, power_, bluetooth_);
    return pid;
}

DWORD SimHandheld::CreateProcess(std::u16string modulePath) {
    return AddProcess(std::move(modulePath), true);
}

DWORD SimHandheld::CreatePeerProcess(std::u16string modulePath) {
    return AddProcess(std::move(modulePath), false);
}

SimHandheld::Views& SimHandheld::ViewsFor(DWORD pid) {
    auto it = views_.find(pid);
    if (it == views_.end())
        throw SimError("no process with id " + std::to_string(pid));
    return *it->second;
}

Platform SimHandheld::PlatformFor(DWORD pid) {
    Views& v = ViewsFor(pid);
    return Platform{registry_, v.windows, v.windows, v.shell, v.power, v.bluetooth, v.process};
}

IWindowSystem& SimHandheld::WindowsFor(DWORD pid) {
    return ViewsFor(pid).windows;
}
IShell& SimHandheld::ShellFor(DWORD pid) {
    return ViewsFor(pid).shell;
}
SimProcess& SimHandheld::ProcessFor(DWORD pid) {
    return ViewsFor(pid).simProcess;
}

void SimHandheld::ExitProcess(DWORD pid, DWORD exitCode) {
    world_.ExitProcess(pid, exitCode);
}

std::optional<DWORD> SimHandheld::ExitCode(DWORD pid) const {
    const SimProcessInfo* p = world_.FindProcess(pid);
    return p ? p->exitCode : std::nullopt;
}

bool SimHandheld::Running(DWORD pid) const {
    const SimProcessInfo* p = world_.FindProcess(pid);
    return p && p->running;
}

// --- the device ----------------------------------------------------------------------

void SimHandheld::SetBluetoothLibraryPresent(bool present) {
    if (present && !options_.bluetoothLibraryPresent)
        bluetooth_.SetMode(kBthInitialMode);
    options_.bluetoothLibraryPresent = present;
}

SimHandheld::OpenHandles SimHandheld::CountOpenHandles() const {
    OpenHandles open;
    open.registryKeys = registry_.OpenHandleCount();
    open.events = power_.OpenEventHandles();
    for (const auto& [pid, views] : views_)
        open.libraries += views->simProcess.LoadedLibraryCount();
    open.windows = world_.WindowCount();
    open.timers = world_.Timers().size();
    open.menus = world_.MenuCount();
    open.mutexes = world_.MutexHandleCount();
    return open;
}

// --- applications and windows ------------------------------------------------------

HWND SimHandheld::OpenAppWindow(const std::u16string& caption, std::u16string modulePath) {
    if (modulePath.empty())
        modulePath = u"\\Program Files\\" + caption + u".exe";
    DWORD pid = CreatePeerProcess(std::move(modulePath));
    HWND hwnd = world_.CreateWindow(pid, 0, u"Application", caption.c_str(),
                                    WS_VISIBLE | WS_CAPTION, 0, kTopBarHeight, 240,
                                    world_.MenuBarTop() - kTopBarHeight, HWND{}, 0, nullptr);
    world_.SetForeground(hwnd);
    return hwnd;
}

HWND SimHandheld::TopLevel(const std::u16string& caption) const {
    HWND h = world_.FindWindow(nullptr, caption.c_str());
    if (!h)
        throw SimError("no window captioned " + TraceString(caption));
    return h;
}

bool SimHandheld::WindowExists(const std::u16string& caption) const {
    return static_cast<bool>(world_.FindWindow(nullptr, caption.c_str()));
}

void SimHandheld::Front(const std::u16string& caption) {
    HWND h = TopLevel(caption);
    if (!world_.IsVisible(h))
        throw SimError("window " + TraceString(caption) +
                       " is hidden: the user cannot bring it to the front");
    world_.SetForeground(h);
}

void SimHandheld::Close(const std::u16string& caption) {
    HWND h = TopLevel(caption);
    DWORD pid = world_.Get(h).pid;
    world_.Send(h, WM_CLOSE, 0, 0);
    const SimProcessInfo* p = world_.FindProcess(pid);
    if (!p || p->traced || pid == widcommPid_)
        return;
    for (HWND w : world_.ZOrder())
        if (world_.Find(w) && world_.Find(w)->pid == pid)
            return;
    world_.ExitProcess(pid, 0);
}

void SimHandheld::Retitle(const std::u16string& caption, const std::u16string& newCaption) {
    world_.SetText(TopLevel(caption), newCaption);
}

std::u16string SimHandheld::FrontCaption() const {
    const SimWindow* w = world_.Find(world_.Foreground());
    return w ? w->caption : u"";
}

// --- the notification icon and its menu --------------------------------------------

const TrackedMenu& SimHandheld::OpenMenu() const {
    if (const TrackedMenu* open = world_.InnermostMenu())
        return *open;
    throw SimError("no menu is open");
}

// --- message boxes -----------------------------------------------------------------

const MessageBoxRecord& SimHandheld::FrontMessageBoxRecord() const {
    if (const MessageBoxRecord* box = world_.InnermostMessageBox())
        return *box;
    throw SimError("no message box is shown");
}

// --- dialogs and their controls ----------------------------------------------------

HWND SimHandheld::FindDialog(const std::u16string& caption) const {
    for (HWND h : world_.ZOrder()) {
        const SimWindow* w = world_.Find(h);
        if (w && w->isDialog && FoldedEquals(w->caption, caption))
            return h;
    }
    throw SimError("no dialog captioned " + TraceString(caption));
}

const SimWindow& SimHandheld::ControlWindow(HWND dialog, INT id) const {
    return *world_.Find(Control(dialog, id));
}

std::u16string SimHandheld::ControlText(HWND dialog, INT id) const {
    return ControlWindow(dialog, id).caption;
}

int SimHandheld::ControlChecked(HWND dialog, INT id) const {
    return ControlWindow(dialog, id).check;
}

int SimHandheld::ControlSelected(HWND dialog, INT id) const {
    return ControlWindow(dialog, id).selection;
}

std::vector<std::u16string> SimHandheld::ControlItems(HWND dialog, INT id) const {
    return ControlWindow(dialog, id).items;
}

bool SimHandheld::ControlVisible(HWND dialog, INT id) const {
    return world_.IsVisible(Control(dialog, id));
}

}  // namespace velk::sim

#include "platform/sim/handheld.h"

#include "platform/sim/trace_format.h"
#include "platform/strings.h"

namespace velk::sim {

SimHandheld::SimHandheld()
    : registry_(trace_, clock_),
      power_(trace_, clock_),
      bluetooth_(trace_, clock_, options_),
      world_(clock_, trace_, options_) {
    widcommPid_ = CreatePeerProcess(u"\\Windows\\BtConsole.exe");
    widcomm_ = std::make_unique<WidcommConsole>(WindowsFor(widcommPid_), registry_);
}

SimHandheld::~SimHandheld() = default;

// --- processes ---------------------------------------------------------------------

DWORD SimHandheld::AddProcess(std::u16string modulePath, bool traced) {
    DWORD pid = world_.AddProcess(std::move(modulePath), traced);
    views_[pid] = std::make_unique<Views>(world_, pid);
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
    return Platform{registry_, v.windows, v.shell, power_, bluetooth_, v.process};
}

SimWindowSystem& SimHandheld::WindowsFor(DWORD pid) {
    return ViewsFor(pid).windows;
}
SimShell& SimHandheld::ShellFor(DWORD pid) {
    return ViewsFor(pid).shell;
}
SimProcess& SimHandheld::ProcessFor(DWORD pid) {
    return ViewsFor(pid).process;
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
        open.libraries += views->process.LoadedLibraryCount();
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
    world_.Get(TopLevel(caption)).caption = newCaption;
}

std::u16string SimHandheld::FrontCaption() const {
    const SimWindow* w = world_.Find(world_.Foreground());
    return w ? w->caption : u"";
}

// --- the notification icon and its menu --------------------------------------------

void SimHandheld::NotifyIcon(HWND hwnd, UINT id, UINT mouseMessage) {
    for (const IconRecord& r : world_.Icons())
        if (r.data.hWnd == hwnd && r.data.uID == id) {
            if (!world_.Post(0, hwnd, r.data.uCallbackMessage, id, mouseMessage))
                throw SimError("the notification icon's window is gone");
            return;
        }
    throw SimError("no notification icon " + std::to_string(id) + " of window " +
                   TraceHandle(hwnd.value));
}

void SimHandheld::TapIcon(HWND hwnd, UINT id) {
    NotifyIcon(hwnd, id, WM_LBUTTONDOWN);
    NotifyIcon(hwnd, id, WM_LBUTTONUP);
}

void SimHandheld::TapIcon() {
    const auto& icons = world_.Icons();
    if (icons.size() != 1)
        throw SimError("cannot tap \"the\" notification icon: " + std::to_string(icons.size()) +
                       " icons are shown");
    TapIcon(icons.front().data.hWnd, icons.front().data.uID);
}

bool SimHandheld::MenuOpen() const {
    for (const auto& m : world_.OpenMenus())
        if (!m->closed)
            return true;
    return false;
}

const TrackedMenu& SimHandheld::OpenMenu() const {
    const auto& menus = world_.OpenMenus();
    for (auto it = menus.rbegin(); it != menus.rend(); ++it)
        if (!(*it)->closed)
            return **it;
    throw SimError("no menu is open");
}

// --- message boxes -----------------------------------------------------------------

const MessageBoxRecord& SimHandheld::FrontMessageBoxRecord() const {
    const auto& boxes = world_.MessageBoxes();
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        if (!(*it)->dismissed)
            return **it;
    throw SimError("no message box is shown");
}

// --- dialogs and their controls ----------------------------------------------------

HWND SimHandheld::FrontDialog() const {
    for (HWND h : world_.ZOrder()) {
        const SimWindow* w = world_.Find(h);
        if (w && w->isDialog && !w->isMessageBox && (w->style & WS_VISIBLE))
            return h;
    }
    throw SimError("no dialog is shown");
}

HWND SimHandheld::FindDialog(const std::u16string& caption) const {
    for (HWND h : world_.ZOrder()) {
        const SimWindow* w = world_.Find(h);
        if (w && w->isDialog && FoldedEquals(w->caption, caption))
            return h;
    }
    throw SimError("no dialog captioned " + TraceString(caption));
}

HWND SimHandheld::Control(HWND dialog, INT id) const {
    HWND c = world_.GetDlgItem(dialog, id);
    if (!c) {
        const SimWindow* d = world_.Find(dialog);
        throw SimError("dialog " + (d ? TraceString(d->caption) : TraceHandle(dialog.value)) +
                       " has no control " + std::to_string(id));
    }
    return c;
}

const SimWindow& SimHandheld::ControlWindow(HWND dialog, INT id) const {
    return *world_.Find(Control(dialog, id));
}

SimWindow& SimHandheld::Reachable(INT id) {
    HWND c = Control(FrontDialog(), id);
    SimWindow& w = world_.Get(c);
    if (!world_.IsVisible(c) || (w.style & WS_DISABLED))
        throw SimError("control " + std::to_string(id) + " of dialog " +
                       TraceString(world_.Get(w.parent).caption) +
                       " is hidden or disabled: the user cannot reach it");
    return w;
}

void SimHandheld::TypeText(INT id, const std::u16string& text) {
    SimWindow& w = Reachable(id);
    if (!FoldedEquals(w.className, kClassEdit))
        throw SimError("control " + std::to_string(id) + " is no edit box");
    w.caption = text;
}

void SimHandheld::Check(INT id, int state) {
    SimWindow& w = Reachable(id);
    DWORD type = w.style & BS_TYPEMASK;
    bool radio = type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON;
    bool box = type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_3STATE ||
               type == BS_AUTO3STATE;
    if (!FoldedEquals(w.className, kClassButton) || (!radio && !box))
        throw SimError("control " + std::to_string(id) + " is no check box or radio button");
    if (w.check == state)
        return;
    if (radio && state == 0)
        throw SimError("radio button " + std::to_string(id) +
                       " cannot be cleared by a tap; check another one of its group");
    world_.Post(0, w.hwnd, WM_LBUTTONUP, 0, 0);
}

void SimHandheld::Select(INT id, int index) {
    SimWindow& w = Reachable(id);
    if (!FoldedEquals(w.className, kClassComboBox))
        throw SimError("control " + std::to_string(id) + " is no combo box");
    if (index < 0 || index >= static_cast<int>(w.items.size()))
        throw SimError("combo box " + std::to_string(id) + " has no item " + std::to_string(index) +
                       " (it has " + std::to_string(w.items.size()) + ")");
    w.selection = index;
    world_.Post(0, w.parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), CBN_SELCHANGE),
                static_cast<LPARAM>(w.hwnd.value));
}

void SimHandheld::Click(INT id) {
    HWND dialog = FrontDialog();
    if (id == IDOK && !world_.GetDlgItem(dialog, id) && world_.Get(dialog).doneButton) {
        PressDone();
        return;
    }
    SimWindow& w = Reachable(id);
    world_.Post(0, w.hwnd, WM_LBUTTONUP, 0, 0);
}

void SimHandheld::PressDone() {
    HWND dialog = FrontDialog();
    if (!world_.Get(dialog).doneButton)
        throw SimError("dialog " + TraceString(world_.Get(dialog).caption) +
                       " has no OK button in its caption");
    world_.Post(0, dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
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

// --- keys --------------------------------------------------------------------------

void SimHandheld::PressButton(UINT vk) {
    world_.ButtonDown(vk);
    world_.ButtonUp(vk);
}

}  // namespace velk::sim

#include "platform/linux/desktop_model_windows.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::linux {

namespace {

constexpr UINT kCaptureKey = 0xC1;  // Application Button 1

}  // namespace

DesktopModelWindows::DesktopModelWindows(model::WindowModel& model, DWORD pid, DesktopTable& table,
                                         IDesktopProvider& provider, Hooks hooks)
    : ClientWindows(model, pid),
      model_(model),
      table_(table),
      provider_(provider),
      desktop_(table, provider),
      hooks_(std::move(hooks)) {}

DesktopModelWindows::Where DesktopModelWindows::Of(HWND hwnd) const {
    if ((hwnd.value & ~std::uintptr_t{1}) == kRunningCopyWindow.value)
        return Where::RunningCopy;
    if (hwnd.value & DesktopTable::kHandleBit)
        return Where::Desktop;
    return Where::Model;
}

bool DesktopModelWindows::IsOwn(HWND desktopWindow) const {
    const auto key = table_.KeyOf(desktopWindow);
    if (!key)
        return false;
    const DWORD pid = provider_.ProcessId(*key);
    if (pid != 0)
        return pid == Pid();
    const HWND front = model_.Foreground();
    const std::u16string* title = table_.Title(desktopWindow);
    return front && title && model_.IsVisible(front) && model_.Get(front).caption == *title;
}

std::optional<DWORD> DesktopModelWindows::RunningCopy() const {
    return hooks_.runningCopy ? hooks_.runningCopy() : std::nullopt;
}

HWND DesktopModelWindows::GetForegroundWindow() {
    const HWND front = desktop_.GetForegroundWindow();
    if (front && IsOwn(front) && model_.Foreground())
        return model_.Foreground();
    return front;
}

BOOL DesktopModelWindows::SetForegroundWindow(HWND hwnd) {
    switch (Of(hwnd)) {
        case Where::RunningCopy:
            return hooks_.frontRunningCopy && hooks_.frontRunningCopy() ? 1 : 0;
        case Where::Desktop:
            return desktop_.SetForegroundWindow(hwnd);
        case Where::Model:
            break;
    }
    // The model keeps its foreground window while the user works in another program; so
    // that a view hears of the change, that window gives up the foreground first.
    const HWND front = desktop_.GetForegroundWindow();
    if (model_.Foreground() && !(front && IsOwn(front)))
        model_.ClearForeground();
    return ClientWindows::SetForegroundWindow(hwnd);
}

BOOL DesktopModelWindows::IsWindow(HWND hwnd) {
    switch (Of(hwnd)) {
        case Where::RunningCopy:
            return RunningCopy() ? 1 : 0;
        case Where::Desktop:
            return desktop_.IsWindow(hwnd);
        case Where::Model:
            break;
    }
    return ClientWindows::IsWindow(hwnd);
}

INT DesktopModelWindows::GetWindowTextLengthW(HWND hwnd) {
    switch (Of(hwnd)) {
        case Where::RunningCopy:
            return 0;
        case Where::Desktop:
            return desktop_.GetWindowTextLengthW(hwnd);
        case Where::Model:
            break;
    }
    return ClientWindows::GetWindowTextLengthW(hwnd);
}

INT DesktopModelWindows::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    switch (Of(hwnd)) {
        case Where::RunningCopy:
            return CopyTruncated(std::u16string_view(), buf, maxCount);
        case Where::Desktop:
            return desktop_.GetWindowTextW(hwnd, buf, maxCount);
        case Where::Model:
            break;
    }
    return ClientWindows::GetWindowTextW(hwnd, buf, maxCount);
}

HWND DesktopModelWindows::FindWindowW(const char16_t* className, const char16_t* windowName) {
    if (const HWND own = ClientWindows::FindWindowW(className, windowName))
        return own;
    return desktop_.FindWindowW(className, windowName);
}

BOOL DesktopModelWindows::EnumWindows(const WNDENUMPROC& callback) {
    std::vector<HWND> order;
    const HWND front = table_.Front();
    const bool ownInFront = front && IsOwn(front);
    if (front && !ownInFront)
        order.push_back(front);
    const std::vector<HWND>& own = model_.ZOrder();
    order.insert(order.end(), own.begin(), own.end());
    const std::optional<DWORD> copy = RunningCopy();
    table_.ForEach([&](HWND hwnd, const std::u16string&) {
        if (hwnd == front || IsOwn(hwnd))
            return true;
        // The running copy answers as its main window alone.
        const auto key = table_.KeyOf(hwnd);
        if (copy && key && provider_.ProcessId(*key) == *copy)
            return true;
        order.push_back(hwnd);
        return true;
    });
    if (copy)
        order.push_back(kRunningCopyWindow);
    for (HWND hwnd : order) {
        if (Of(hwnd) == Where::Model && !model_.Find(hwnd))
            continue;  // gone while the callback ran
        if (!callback(hwnd))
            return 0;
    }
    return 1;
}

DWORD DesktopModelWindows::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    switch (Of(hwnd)) {
        case Where::RunningCopy: {
            const DWORD pid = RunningCopy().value_or(0);
            if (processId)
                *processId = pid;
            return pid;
        }
        case Where::Desktop:
            return desktop_.GetWindowThreadProcessId(hwnd, processId);
        case Where::Model:
            break;
    }
    return ClientWindows::GetWindowThreadProcessId(hwnd, processId);
}

SHORT DesktopModelWindows::GetAsyncKeyState(INT vk) {
    if (vk == VK_UP && hooks_.upHeld)
        model_.SetKeyDown(VK_UP, hooks_.upHeld());
    return ClientWindows::GetAsyncKeyState(vk);
}

BOOL DesktopModelWindows::RegisterHotKey(HWND hwnd, INT id, UINT modifiers, UINT vk) {
    const BOOL taken = ClientWindows::RegisterHotKey(hwnd, id, modifiers, vk);
    if (taken && vk == kCaptureKey && hooks_.captureKey)
        hooks_.captureKey(true);
    return taken;
}

BOOL DesktopModelWindows::UnregisterHotKey(HWND hwnd, INT id) {
    const BOOL released = ClientWindows::UnregisterHotKey(hwnd, id);
    const auto& keys = model_.HotKeys();
    const bool stillTaken = std::any_of(keys.begin(), keys.end(),
                                        [](const model::HotKey& k) { return k.vk == kCaptureKey; });
    if (released && !stillTaken && hooks_.captureKey)
        hooks_.captureKey(false);
    return released;
}

}  // namespace velk::linux

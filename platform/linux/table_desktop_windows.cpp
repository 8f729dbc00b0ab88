#include "platform/linux/table_desktop_windows.h"

#include <algorithm>
#include <string_view>

namespace velk {

namespace {
constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;
}  // namespace

HWND TableDesktopWindows::GetForegroundWindow() {
    provider_.Pump();
    return table_.Front();
}

BOOL TableDesktopWindows::SetForegroundWindow(HWND hwnd) {
    const auto key = table_.KeyOf(hwnd);
    return key && provider_.Activate(*key) ? kTrue : kFalse;
}

BOOL TableDesktopWindows::IsWindow(HWND hwnd) {
    return table_.KeyOf(hwnd) ? kTrue : kFalse;
}

INT TableDesktopWindows::GetWindowTextLengthW(HWND hwnd) {
    const std::u16string* title = table_.Title(hwnd);
    return title ? static_cast<INT>(title->size()) : 0;
}

INT TableDesktopWindows::GetWindowTextW(HWND hwnd, char16_t* buf, INT maxCount) {
    if (buf == nullptr || maxCount <= 0)
        return 0;
    const std::u16string* title = table_.Title(hwnd);
    const std::size_t count =
        title ? std::min(title->size(), static_cast<std::size_t>(maxCount - 1)) : 0;
    if (count > 0)
        std::copy_n(title->data(), count, buf);
    buf[count] = u'\0';
    return static_cast<INT>(count);
}

HWND TableDesktopWindows::FindWindowW(const char16_t* className, const char16_t* windowName) {
    if (className != nullptr)
        return HWND{};
    if (windowName == nullptr) {
        HWND any = table_.Front();
        if (!any)
            table_.ForEach([&](HWND hwnd, const std::u16string&) {
                any = hwnd;
                return false;
            });
        return any;
    }
    return table_.Find(std::u16string_view(windowName));
}

BOOL TableDesktopWindows::EnumWindows(const WNDENUMPROC& callback) {
    const HWND front = table_.Front();
    if (front && !callback(front))
        return kFalse;
    bool stopped = false;
    table_.ForEach([&](HWND hwnd, const std::u16string&) {
        if (hwnd == front)
            return true;
        stopped = !callback(hwnd);
        return !stopped;
    });
    return stopped ? kFalse : kTrue;
}

DWORD TableDesktopWindows::GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    const auto key = table_.KeyOf(hwnd);
    const DWORD pid = key ? provider_.ProcessId(*key) : 0;
    if (processId != nullptr)
        *processId = pid;
    return pid;
}

}  // namespace velk

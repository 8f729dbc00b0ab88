#include "platform/window_system.h"

#include <climits>
#include <cstddef>

namespace velk {

void ReadWindowText(IDesktopWindows& windows, HWND hwnd, CString& text) {
    text.clear();
    INT length = windows.GetWindowTextLengthW(hwnd);
    if (length <= 0)
        return;
    if (length == INT_MAX)
        --length;  // room for the terminator without overflow
    // Resizing within the buffer's capacity allocates nothing.
    text.resize(static_cast<std::size_t>(length) + 1);
    INT copied = windows.GetWindowTextW(hwnd, text.data(), length + 1);
    if (copied < 0)
        copied = 0;
    if (copied > length)
        copied = length;
    text.resize(static_cast<std::size_t>(copied));
}

CString GetWindowTextString(IDesktopWindows& windows, HWND hwnd) {
    CString text;
    ReadWindowText(windows, hwnd, text);
    return text;
}

}  // namespace velk

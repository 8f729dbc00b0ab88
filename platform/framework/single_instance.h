// The entry point's single-instance check: one copy of the program at a time.
#pragma once

#include "platform/desktop_windows.h"
#include "platform/process.h"

namespace velk {

// The path length the check reads the program's path with.
constexpr DWORD kMaxPath = 260;

// Takes the program's named mutex (kept for the life of the process). When another
// copy holds it already, looks for that copy's window three times, waiting at idle
// priority between the looks; a window found is brought forward and the answer is
// true: this copy must end. Without a window after three looks, this copy runs.
bool AnotherCopyRan(IDesktopWindows& desktop, IProcess& process);

}  // namespace velk

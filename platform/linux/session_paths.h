// Where the program keeps what belongs to one user's session on one display: the
// single-instance lock and the socket through which later starts reach the running copy.
#pragma once

#include <string>

namespace velk::linux {

// The display the program serves: WAYLAND_DISPLAY when set, else DISPLAY; "" when none.
std::string SessionDisplay();

// A file of the user's own beside the session's other run-time files:
// $XDG_RUNTIME_DIR/velk-<display><suffix>, else /tmp/velk-<uid>-<display><suffix>. The
// display's "/" and ":" become "_" so that every display names one plain file.
std::string SessionFile(const std::string& display, const std::string& suffix);

}  // namespace velk::linux

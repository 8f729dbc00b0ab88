// Which provider watches this desktop's windows: the first candidate that works here, in
// order. Desktop-specific providers come first, the wlroots protocol next, X11 last.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/desktop_table.h"

namespace velk {

// What the session says of its desktop.
struct DesktopEnvironment {
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string display;         // DISPLAY
    std::string currentDesktop;  // XDG_CURRENT_DESKTOP, e.g. "GNOME", "KDE", "sway"
    static DesktopEnvironment FromProcess();
};

struct DesktopCandidate {
    std::string_view name;
    // The provider, or null with the reason it does not serve here in why.
    std::function<std::unique_ptr<IDesktopProvider>(DesktopTable&, const DesktopEnvironment&,
                                                    std::string& why)>
        open;
    // Sees only X11 programs' windows when the session is a Wayland one.
    bool x11Only = false;
    // Where this candidate was meant for the desktop but did not serve, why is advice for
    // the user (how to install the desktop's component), said with the choice made instead.
    // An empty why means the candidate is not for this desktop at all.
    bool adviseWhenPassed = false;
};

// The candidates in the order they are tried. A provider for one desktop's own interface
// (its compositor's script or extension) goes before "wlroots".
std::vector<DesktopCandidate> DesktopCandidates();

struct DesktopChoice {
    std::unique_ptr<IDesktopProvider> provider;  // null when nothing serves: see error
    std::string error;
    // Said once to the user when the choice sees only part of the desktop's windows.
    std::string notice;
};

DesktopChoice ChooseDesktopProvider(DesktopTable& table, const DesktopEnvironment& env,
                                    const std::vector<DesktopCandidate>& candidates);
inline DesktopChoice ChooseDesktopProvider(DesktopTable& table, const DesktopEnvironment& env) {
    return ChooseDesktopProvider(table, env, DesktopCandidates());
}

}  // namespace velk

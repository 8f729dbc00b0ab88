#include <cstdlib>
#include <ranges>

#include "platform/linux/shell_providers.h"

namespace velk {

ShellHint ShellFromEnvironment(std::string_view currentDesktop, std::string_view sessionType) {
    if (sessionType != "wayland")
        return ShellHint::Other;
    // A list such as "ubuntu:GNOME"; Plasma says "KDE".
    for (const auto part : currentDesktop | std::views::split(':')) {
        const std::string_view name(part.begin(), part.end());
        if (name == "KDE")
            return ShellHint::KWinWayland;
        if (name == "GNOME")
            return ShellHint::GnomeWayland;
    }
    return ShellHint::Other;
}

ShellHint ShellFromEnvironment() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    const char* session = std::getenv("XDG_SESSION_TYPE");
    return ShellFromEnvironment(desktop ? desktop : "", session ? session : "");
}

}  // namespace velk

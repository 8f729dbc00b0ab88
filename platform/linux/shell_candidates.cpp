#include "platform/linux/shell_providers.h"

namespace velk {

namespace {

// The session is a Wayland one when it has a Wayland display, whatever it calls itself.
ShellHint HintOf(const DesktopEnvironment& env) {
    return ShellFromEnvironment(env.currentDesktop, env.waylandDisplay.empty() ? "" : "wayland");
}

}  // namespace

std::vector<DesktopCandidate> ShellCandidates() {
    return {
        {"kwin",
         [](DesktopTable& table, const DesktopEnvironment& env, std::string& why) {
             if (HintOf(env) != ShellHint::KWinWayland)
                 return std::unique_ptr<IDesktopProvider>();
             return MakeKWinProvider(table, &why);
         },
         false, true},
        {"gnome",
         [](DesktopTable& table, const DesktopEnvironment& env, std::string& why) {
             if (HintOf(env) != ShellHint::GnomeWayland)
                 return std::unique_ptr<IDesktopProvider>();
             return MakeGnomeProvider(table, &why);
         },
         false, true},
    };
}

std::vector<DesktopCandidate> LinuxDesktopCandidates() {
    std::vector<DesktopCandidate> all = ShellCandidates();
    for (DesktopCandidate& c : DesktopCandidates())
        all.push_back(std::move(c));
    return all;
}

}  // namespace velk

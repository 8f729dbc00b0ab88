#include "platform/linux/desktop_choice.h"

#include <cstdlib>

#include "platform/linux/wlroots_desktop.h"
#include "platform/linux/x11_desktop.h"

namespace velk {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::unique_ptr<IDesktopProvider> OpenWlroots(DesktopTable& table, const DesktopEnvironment& env,
                                              std::string& why) {
    if (env.waylandDisplay.empty()) {
        why = "WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    return WlrootsDesktopProvider::Connect(table, env.waylandDisplay.c_str(), why);
}

std::unique_ptr<IDesktopProvider> OpenX11(DesktopTable& table, const DesktopEnvironment& env,
                                          std::string& why) {
    if (env.display.empty()) {
        why = "DISPLAY is not set";
        return nullptr;
    }
    auto connection = X11Connection::Open(env.display.c_str(), why);
    if (!connection)
        return nullptr;
    return std::make_unique<X11DesktopProvider>(table, std::move(connection));
}

}  // namespace

DesktopEnvironment DesktopEnvironment::FromProcess() {
    return {Env("WAYLAND_DISPLAY"), Env("DISPLAY"), Env("XDG_CURRENT_DESKTOP")};
}

std::vector<DesktopCandidate> DesktopCandidates() {
    return {
        // Desktop-specific providers (KDE's, GNOME's: ShellCandidates) go before these.
        {"wlroots", OpenWlroots, false},
        {"x11", OpenX11, true},
    };
}

DesktopChoice ChooseDesktopProvider(DesktopTable& table, const DesktopEnvironment& env,
                                    const std::vector<DesktopCandidate>& candidates) {
    DesktopChoice choice;
    if (env.waylandDisplay.empty() && env.display.empty()) {
        choice.error = "no graphical desktop: neither WAYLAND_DISPLAY nor DISPLAY is set";
        return choice;
    }
    std::string reasons;
    std::string advice;
    for (const DesktopCandidate& candidate : candidates) {
        std::string why;
        choice.provider = candidate.open(table, env, why);
        if (choice.provider) {
            if (candidate.x11Only && !env.waylandDisplay.empty()) {
                const std::string desktop =
                    env.currentDesktop.empty() ? "This Wayland desktop" : env.currentDesktop;
                choice.notice = desktop +
                                " does not tell other programs about its windows: only the "
                                "windows of X11 programs can be seen.";
            }
            if (!advice.empty())
                choice.notice += (choice.notice.empty() ? "" : "\n") + advice;
            return choice;
        }
        table.Clear();
        if (why.empty())
            continue;
        if (candidate.adviseWhenPassed)
            advice += (advice.empty() ? "" : "\n") + why;
        reasons += (reasons.empty() ? "" : "; ") + std::string(candidate.name) + ": " + why;
    }
    choice.error = "cannot watch the desktop's windows (" + reasons + ")";
    return choice;
}

}  // namespace velk

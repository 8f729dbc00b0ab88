// The desktop's windows on KDE Plasma and GNOME under Wayland, where no program may ask the
// compositor for the front window: a component of the desktop's own (a KWin script, a GNOME
// Shell extension) tells Velk over the session bus. Both need a QCoreApplication (or
// QGuiApplication) whose event loop runs on this thread: reports arrive through it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/desktop_choice.h"
#include "platform/linux/desktop_table.h"

namespace velk {

// What the session's own variables say about the desktop; a hint for choosing a provider,
// which still asks the bus before it commits to one.
enum class ShellHint { Other, KWinWayland, GnomeWayland };
ShellHint ShellFromEnvironment(std::string_view currentDesktop, std::string_view sessionType);
ShellHint ShellFromEnvironment();  // from XDG_CURRENT_DESKTOP and XDG_SESSION_TYPE

// Loads Velk's script into KWin on the session bus and keeps the table as it reports; the
// script is unloaded when the provider goes. Null, with the reason in whyNot, when KWin is
// not on the bus or the script could not be loaded or did not report.
std::unique_ptr<IDesktopProvider> MakeKWinProvider(DesktopTable& table, std::string* whyNot);

// Follows Velk's GNOME Shell extension on the session bus. Null when it is not there; on a
// running GNOME Shell whyNot then tells the user how to install and enable it, ready for
// standard error.
std::unique_ptr<IDesktopProvider> MakeGnomeProvider(DesktopTable& table, std::string* whyNot);

// KWin's script and GNOME's extension as candidates of the chooser, each tried only on its
// own desktop under Wayland; on GNOME without the extension, the advice to install it
// comes with the choice made instead.
std::vector<DesktopCandidate> ShellCandidates();
// Every candidate in the order a Linux desktop tries them: the desktops' own components,
// then the wlroots protocol, then X11.
std::vector<DesktopCandidate> LinuxDesktopCandidates();

}  // namespace velk

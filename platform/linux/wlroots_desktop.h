// Wayland compositors that tell other programs about their windows through the
// foreign-toplevel management protocol (sway, Hyprland, labwc, river, Wayfire): titles and
// the activated window as the compositor reports them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/desktop_table.h"

namespace velk {

class WlrootsDesktopProvider : public IDesktopProvider {
  public:
    // Null, with the reason in why, when no compositor answers at displayName ($WAYLAND_DISPLAY
    // when null) or it does not offer the protocol. The windows already open are in the
    // table on return.
    static std::unique_ptr<WlrootsDesktopProvider> Connect(DesktopTable& table,
                                                           const char* displayName,
                                                           std::string& why);
    ~WlrootsDesktopProvider() override;

    std::string_view Name() const override { return "wlroots"; }
    // Dispatches what was read, reads what the socket holds without waiting, and sends
    // what is queued.
    void Pump() override;
    int EventFd() const override;
    // The protocol's activate, on the compositor's first seat; false without a seat.
    bool Activate(DesktopTable::Key key) override;

    struct State;  // the connection and the toplevels, opaque to users

  private:
    explicit WlrootsDesktopProvider(std::unique_ptr<State> state);
    std::unique_ptr<State> s_;
};

}  // namespace velk

// The X11 desktop: one connection to the X server, and the provider that keeps a
// DesktopTable current from the window manager's announcements (EWMH), or from the
// windows themselves where no window manager runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/linux/desktop_table.h"

struct xcb_connection_t;
struct _XDisplay;

namespace velk {

// A connection through Xlib, whose text-property conversions xcb lacks, with xcb owning
// the event queue: every request and event goes through xcb.
class X11Connection {
  public:
    // Null, with the reason in error, when the display cannot be opened. A null or empty
    // name means $DISPLAY.
    static std::unique_ptr<X11Connection> Open(const char* displayName, std::string& error);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    _XDisplay* display() const { return display_; }
    xcb_connection_t* xcb() const { return xcb_; }
    std::uint32_t root() const { return root_; }
    int screen() const { return screen_; }
    int fd() const;
    bool broken() const;

  private:
    X11Connection(_XDisplay* display, xcb_connection_t* xcb, std::uint32_t root, int screen)
        : display_(display), xcb_(xcb), root_(root), screen_(screen) {}
    _XDisplay* display_;
    xcb_connection_t* xcb_;
    std::uint32_t root_;
    int screen_;
};

// Titles (_NET_WM_NAME, else WM_NAME in its own encoding), the active window and the
// client list, kept current by PropertyNotify. Without a window manager: the root's
// viewable titled children, and the focus window's top-level ancestor.
class X11DesktopProvider : public IDesktopProvider {
  public:
    X11DesktopProvider(DesktopTable& table, std::unique_ptr<X11Connection> connection);
    ~X11DesktopProvider() override;

    std::string_view Name() const override { return "x11"; }
    void Pump() override;
    int EventFd() const override;
    bool Activate(DesktopTable::Key key) override;
    DWORD ProcessId(DesktopTable::Key key) const override;

    // True while a window manager announces the client list and the active window.
    bool ManagerPresent() const;

  private:
    struct State;
    std::unique_ptr<State> s_;
};

// A window's title property as text: STRING (Latin-1), UTF8_STRING, COMPOUND_TEXT or the
// locale's encoding. Converts through Xlib in a UTF-8 character locale, switched to only
// for the call where the program's own is not UTF-8.
std::u16string DecodeX11Text(_XDisplay* display, std::uint32_t encoding, std::string_view bytes);

}  // namespace velk

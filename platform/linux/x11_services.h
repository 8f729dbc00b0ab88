// Small X11 services of the Linux program: the Find Window mode's capture key, the state
// of one key, and the screen saver's idle timer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/linux/x11_desktop.h"

namespace velk {

// The capture key, taken from every other program while the Find Window mode runs.
// Super+F12: Ctrl+Alt+function keys belong to the console switch and never reach an X
// client, and desktops leave Super with the last function key free. Taken with every
// combination of CapsLock and NumLock, which the user does not think of as modifiers.
class X11HotKey {
  public:
    // Its own connection, so that the key's events reach nobody else's queue.
    explicit X11HotKey(std::unique_ptr<X11Connection> connection);
    ~X11HotKey();
    X11HotKey(const X11HotKey&) = delete;
    X11HotKey& operator=(const X11HotKey&) = delete;

    // False when another program holds the key already (or the keyboard lacks it).
    bool Grab();
    void Release();
    bool grabbed() const { return grabbed_; }
    // Reads what arrived, without waiting; true when the key was pressed since last asked.
    bool TakePress();
    int EventFd() const { return connection_->fd(); }

  private:
    std::unique_ptr<X11Connection> connection_;
    std::uint8_t keycode_ = 0;
    std::uint16_t modifiers_ = 0;
    std::uint16_t numLock_ = 0;
    bool grabbed_ = false;
};

// Key state and the idle timer, asked on any connection (they bring no events).
class X11Keyboard {
  public:
    explicit X11Keyboard(X11Connection& connection) : connection_(connection) {}
    // Whether the Up arrow is held now.
    bool IsUpHeld();
    // As if the user had just touched the keyboard: the screen saver's timer restarts.
    void ResetScreenSaver();

  private:
    X11Connection& connection_;
};

}  // namespace velk

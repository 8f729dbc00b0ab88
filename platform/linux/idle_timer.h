// The desktop's idle timer, restarted as if the user had touched the keyboard: through
// the session's screen saver service (org.freedesktop.ScreenSaver SimulateUserActivity)
// where one is offered, else through the X server's own screen saver. Whether the service
// is offered is followed on the bus, so a reset costs no round trip.
#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <functional>
#include <memory>

namespace velk::linux {

class IdleTimer {
  public:
    // x11Reset: the X server's reset; empty where there is none (Wayland).
    IdleTimer(QDBusConnection session, std::function<void()> x11Reset);
    void Reset();
    bool ServiceOffered() const { return offered_; }

  private:
    QDBusConnection session_;
    std::function<void()> x11Reset_;
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    bool offered_ = false;
};

}  // namespace velk::linux

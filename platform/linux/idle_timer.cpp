#include "platform/linux/idle_timer.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace velk::linux {

namespace {
const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
}

IdleTimer::IdleTimer(QDBusConnection session, std::function<void()> x11Reset)
    : session_(std::move(session)), x11Reset_(std::move(x11Reset)) {
    if (!session_.isConnected())
        return;
    watcher_ = std::make_unique<QDBusServiceWatcher>(
        kService, session_,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceRegistered,
                     [this] { offered_ = true; });
    QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceUnregistered,
                     [this] { offered_ = false; });
    if (QDBusConnectionInterface* bus = session_.interface())
        offered_ = bus->isServiceRegistered(kService).value();
}

void IdleTimer::Reset() {
    if (offered_) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/ScreenSaver"),
                                           kService, QStringLiteral("SimulateUserActivity"));
        message.setAutoStartService(false);
        session_.send(message);
        return;
    }
    if (x11Reset_)
        x11Reset_();
}

}  // namespace velk::linux

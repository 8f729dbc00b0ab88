#include "platform/linux/bus_call.h"

#include <QDBusArgument>
#include <QDBusVariant>
#include <atomic>

namespace velk::linux {
namespace {

QString NextConnectionName(const char* bus) {
    static std::atomic<unsigned> counter{0};
    return QStringLiteral("velk-radios-%1-%2").arg(QLatin1String(bus)).arg(++counter);
}

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

bool Named(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (name == n)
            return true;
    return false;
}

}  // namespace

BusFactory SystemBusFactory() {
    // The address is read at each connection, so a bus restarted elsewhere is found.
    return [] {
        const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
        return QDBusConnection::connectToBus(
            address.isEmpty() ? QStringLiteral("unix:path=/run/dbus/system_bus_socket")
                              : QString::fromUtf8(address),
            NextConnectionName("system"));
    };
}

BusFactory SessionBusFactory() {
    return [] {
        return QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                             NextConnectionName("session"));
    };
}

BusLink::~BusLink() {
    Reset();
}

QDBusConnection BusLink::Get() {
    if (connection_ && !connection_->isConnected())
        Reset();
    if (!connection_)
        connection_ = factory_();
    return *connection_;
}

void BusLink::Reset() {
    if (!connection_)
        return;
    const QString name = connection_->name();
    connection_.reset();
    QDBusConnection::disconnectFromBus(name);
}

std::string BusReply::Describe() const {
    switch (status) {
        case Status::Ok:
            return "ok";
        case Status::Absent:
            return "the service is not running";
        case Status::NoBus:
            return "no system bus";
        case Status::TimedOut:
            return "no answer in time";
        case Status::Resting:
            return "not asked: no answer in time a moment ago, resting";
        case Status::Error:
            break;
    }
    return errorText.empty() ? errorName : errorName + ": " + errorText;
}

bool BusService::resting() const {
    return restUntil_ && Clock::now() < *restUntil_;
}

BusReply BusService::Call(const QString& path, const QString& interface, const QString& method,
                          const QList<QVariant>& arguments) {
    BusReply reply;
    if (resting()) {
        reply.status = BusReply::Status::Resting;
        return reply;
    }
    restUntil_.reset();
    QDBusConnection connection = link_.Get();
    if (!connection.isConnected()) {
        link_.Reset();
        reply.status = BusReply::Status::NoBus;
        return reply;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(name_, path, interface, method);
    message.setArguments(arguments);
    // A daemon that is not running is not started for us: absent means absent.
    message.setAutoStartService(false);
    // Block, not BlockWithGui: the program's own messages wait until the call is done.
    const QDBusMessage answer =
        connection.call(message, QDBus::Block, static_cast<int>(bounds_.bound.count()));
    if (answer.type() == QDBusMessage::ReplyMessage) {
        reply.status = BusReply::Status::Ok;
        reply.arguments = answer.arguments();
        return reply;
    }
    reply.errorName = answer.errorName().toStdString();
    reply.errorText = answer.errorMessage().toStdString();
    if (Named(reply.errorName,
              {"org.freedesktop.DBus.Error.NoReply", "org.freedesktop.DBus.Error.Timeout"})) {
        reply.status = BusReply::Status::TimedOut;
        restUntil_ = Clock::now() + bounds_.rest;
    } else if (Named(reply.errorName, {"org.freedesktop.DBus.Error.ServiceUnknown",
                                       "org.freedesktop.DBus.Error.NameHasNoOwner"})) {
        reply.status = BusReply::Status::Absent;
    } else if (!connection.isConnected() ||
               reply.errorName == "org.freedesktop.DBus.Error.Disconnected") {
        link_.Reset();
        reply.status = BusReply::Status::NoBus;
    } else {
        reply.status = BusReply::Status::Error;
    }
    return reply;
}

BusReply BusService::GetAll(const QString& path, const QString& interface,
                            QVariantMap& properties) {
    BusReply reply = Call(path, kProperties, QStringLiteral("GetAll"), {interface});
    if (reply.ok() && reply.arguments.size() == 1) {
        properties = qdbus_cast<QVariantMap>(reply.arguments.at(0));
    } else if (reply.ok()) {
        reply.status = BusReply::Status::Error;
        reply.errorName = "a reply of another shape";
    }
    return reply;
}

BusReply BusService::Set(const QString& path, const QString& interface, const QString& property,
                         const QVariant& value) {
    return Call(path, kProperties, QStringLiteral("Set"),
                {interface, property, QVariant::fromValue(QDBusVariant(value))});
}

DWORD ErrorCode(const BusReply& reply) {
    switch (reply.status) {
        case BusReply::Status::Ok:
            return 0;
        case BusReply::Status::Absent:
        case BusReply::Status::NoBus:
            return kErrorDevNotExist;
        case BusReply::Status::TimedOut:
        case BusReply::Status::Resting:
            return kErrorTimeout;
        case BusReply::Status::Error:
            break;
    }
    const std::string& name = reply.errorName;
    if (Named(name, {"org.freedesktop.DBus.Error.AccessDenied",
                     "org.freedesktop.NetworkManager.PermissionDenied",
                     "org.bluez.Error.NotAuthorized", "org.bluez.Error.NotPermitted"}))
        return kErrorAccessDenied;
    if (Named(name, {"org.bluez.Error.Blocked", "org.bluez.Error.NotReady"}))
        return kErrorNotReady;
    if (name == "org.bluez.Error.InProgress")
        return kErrorBusy;
    return kErrorGenFailure;
}

}  // namespace velk::linux

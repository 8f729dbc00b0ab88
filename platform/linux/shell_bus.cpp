#include "platform/linux/shell_bus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <QFileInfo>
#include <QStandardPaths>

namespace velk {

std::optional<QDBusMessage> CallShell(const QDBusConnection& bus, const QDBusMessage& call,
                                      QString* error) {
    QDBusMessage reply = bus.call(call, QDBus::Block, kShellCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return reply;
    if (error)
        *error = reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return std::nullopt;
}

QString OwnerOf(const QDBusConnection& bus, const QString& name) {
    QDBusConnectionInterface* daemon = bus.interface();
    if (!daemon)
        return {};
    const QDBusReply<QString> owner = daemon->serviceOwner(name);
    return owner.isValid() ? owner.value() : QString();
}

QString VelkDataFile(const QString& relative) {
    const QString found =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, "velk/" + relative);
    if (!found.isEmpty())
        return found;
    for (const char* dir : {VELK_INSTALL_DATADIR, VELK_BUILD_DATADIR}) {
        const QString path = QString::fromUtf8(dir) + "/velk/" + relative;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

std::optional<QStringList> StringArray(const QVariant& argument) {
    if (argument.metaType() == QMetaType::fromType<QStringList>())
        return argument.toStringList();
    if (argument.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const auto array = argument.value<QDBusArgument>();
    const QString signature = array.currentSignature();
    if (signature != "as" && signature != "av")
        return std::nullopt;
    QStringList strings;
    array.beginArray();
    while (!array.atEnd()) {
        if (signature == "as") {
            QString s;
            array >> s;
            strings << s;
        } else {
            QDBusVariant v;
            array >> v;
            if (v.variant().metaType() != QMetaType::fromType<QString>())
                return std::nullopt;
            strings << v.variant().toString();
        }
    }
    array.endArray();
    return strings;
}

}  // namespace velk

// GNOME: Velk's shell extension exports the windows on the session bus under a name of its
// own, on GNOME Shell's connection. Velk fetches the picture once and then follows the
// extension's signals, from that connection only.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QObject>

#include "platform/linux/shell_bus.h"
#include "platform/linux/shell_providers.h"
#include "platform/linux/shell_windows.h"

namespace velk {
namespace {

const QString kShell = "org.gnome.Shell";
const QString kName = "org.velk.ShellWindows";
const QString kPath = "/org/velk/ShellWindows";
const QString kInterface = "org.velk.ShellWindows";
const QString kUuid = "velk-windows@velk";

// The bundle that fits the running shell: GNOME 45 changed extensions to ES modules.
QString Bundle(const QDBusConnection& bus) {
    QDBusMessage get = QDBusMessage::createMethodCall(kShell, "/org/gnome/Shell",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({kShell, QString("ShellVersion")});
    int major = 0;
    if (const auto reply = CallShell(bus, get, nullptr))
        major = reply->arguments()
                    .value(0)
                    .value<QDBusVariant>()
                    .variant()
                    .toString()
                    .section('.', 0, 0)
                    .toInt();
    const QString name = major != 0 && major < 45 ? "gnome-shell/velk-windows-gnome43.zip"
                                                  : "gnome-shell/velk-windows-gnome45.zip";
    const QString path = VelkDataFile(name);
    return path.isEmpty() ? QString(VELK_INSTALL_DATADIR) + "/velk/" + name : path;
}

QString Advice(const QString& bundle) {
    return "Velk sees the windows of GNOME on Wayland through its GNOME Shell extension, which "
           "is not enabled. Install and enable it, then log out and in again:\n"
           "  gnome-extensions install --force " +
           bundle + "\n  gnome-extensions enable " + kUuid + "\n";
}

class GnomeProvider final : public QObject, public IDesktopProvider {
    Q_OBJECT

  public:
    explicit GnomeProvider(DesktopTable& table)
        : bus_(QDBusConnection::sessionBus()), windows_(table) {}

    std::string_view Name() const override { return "gnome"; }
    // Signals already read from the bus but not yet delivered, and nothing else.
    void Pump() override { QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); }
    int EventFd() const override { return -1; }

    bool Start(QString* whyNot) {
        if (!bus_.isConnected())
            return Fail(whyNot, "no session bus");
        const QString shell = OwnerOf(bus_, kShell);
        owner_ = OwnerOf(bus_, kName);
        if (owner_.isEmpty()) {
            if (shell.isEmpty())
                return Fail(whyNot, "GNOME Shell is not on the session bus");
            return Fail(whyNot, Advice(Bundle(bus_)));
        }
        // Only the shell's own connection may speak for the extension.
        if (owner_ != shell)
            return Fail(whyNot, kName + " is not owned by GNOME Shell");
        for (const char* signal : {"WindowChanged", "WindowClosed", "FrontChanged"}) {
            if (!bus_.connect(kName, kPath, kInterface, signal, this, SLOT(OnSignal(QDBusMessage))))
                return Fail(whyNot, "cannot follow " + kName);
        }
        // Disabled on the lock screen or by the user, enabled again later: a new picture.
        watcher_.emplace(kName, bus_, QDBusServiceWatcher::WatchForOwnerChange);
        connect(&*watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) { Renewed(owner); });
        return Fetch(whyNot);
    }

    ~GnomeProvider() override {
        for (const char* signal : {"WindowChanged", "WindowClosed", "FrontChanged"})
            bus_.disconnect(kName, kPath, kInterface, signal, this, SLOT(OnSignal(QDBusMessage)));
    }

  private slots:
    void OnSignal(const QDBusMessage& message) {
        const QVariantList args = message.arguments();
        if (message.service() != owner_ || args.size() < 2 ||
            args[0].metaType() != QMetaType::fromType<qulonglong>())
            return;
        // Already in the picture fetched last.
        const qulonglong serial = args[0].toULongLong();
        if (serial <= serial_)
            return;
        serial_ = serial;
        const QString id = args[1].toString();
        const QString member = message.member();
        if (member == "WindowChanged" && args.size() == 3) {
            windows_.Set(id, args[2].toString());
        } else if (member == "WindowClosed") {
            windows_.Remove(id);
        } else if (member == "FrontChanged" && args.size() == 3) {
            windows_.Set(id, args[2].toString());
            windows_.SetFront(id);
        }
    }

  private:
    static bool Fail(QString* whyNot, const QString& why) {
        if (whyNot)
            *whyNot = why;
        return false;
    }

    bool Fetch(QString* whyNot) {
        QString error;
        const auto reply = CallShell(
            bus_, QDBusMessage::createMethodCall(kName, kPath, kInterface, "Get"), &error);
        if (!reply)
            return Fail(whyNot, "Velk's GNOME Shell extension did not answer: " + error);
        const QVariantList args = reply->arguments();
        if (reply->signature() != "ta(ss)s")
            return Fail(whyNot, "Velk's GNOME Shell extension answered " + reply->signature());
        std::vector<std::pair<QString, QString>> windows;
        const auto array = args[1].value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            QString id, title;
            array.beginStructure();
            array >> id >> title;
            array.endStructure();
            windows.emplace_back(id, title);
        }
        array.endArray();
        serial_ = args[0].toULongLong();
        windows_.Replace(windows, args[2].toString());
        return true;
    }

    void Renewed(const QString& owner) {
        windows_.Forget();
        serial_ = 0;
        owner_ = owner.isEmpty() || owner != OwnerOf(bus_, kShell) ? QString() : owner;
        if (!owner_.isEmpty() && !Fetch(nullptr))
            owner_.clear();
    }

    QDBusConnection bus_;
    ShellWindows windows_;
    std::optional<QDBusServiceWatcher> watcher_;
    QString owner_;
    qulonglong serial_ = 0;
};

}  // namespace

std::unique_ptr<IDesktopProvider> MakeGnomeProvider(DesktopTable& table, std::string* whyNot) {
    return StartShellProvider<GnomeProvider>(table, "GNOME Shell's", whyNot);
}

}  // namespace velk

#include "gnome_provider.moc"

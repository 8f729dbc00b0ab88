// KDE Plasma: Velk's script inside KWin reports the windows to an object of Velk's on the
// session bus. The script's copy carries Velk's unique bus name, so there is no well-known
// name to own or to lose to another program, reports reach this process only, and a copy
// left behind by a crash speaks to a name that is gone.
#include <QCoreApplication>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include "platform/linux/shell_bus.h"
#include "platform/linux/shell_providers.h"
#include "platform/linux/shell_windows.h"

namespace velk {
namespace {

const QString kKWin = "org.kde.KWin";
const QString kScriptName = "velk";
const QString kReportPath = "/org/velk/KWin";
const QString kReportInterface = "org.velk.KWinReports";
const QString kServiceToken = "\"VELK_SERVICE\"";
constexpr int kFirstReportMs = 3000;
constexpr int kReloadTries = 5;

const char kIntrospection[] = R"(<interface name="org.velk.KWinReports">
  <method name="Windows"><arg type="av" direction="in"/><arg type="s" direction="in"/></method>
  <method name="Window"><arg type="s" direction="in"/><arg type="s" direction="in"/></method>
  <method name="Active"><arg type="s" direction="in"/><arg type="s" direction="in"/></method>
  <method name="Closed"><arg type="s" direction="in"/></method>
</interface>
)";

QDBusMessage ScriptingCall(const QString& method, const QVariantList& args) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kKWin, "/Scripting", "org.kde.kwin.Scripting", method);
    call.setArguments(args);
    return call;
}

class KWinProvider;

// Velk's end of the script's calls.
class ReportObject final : public QDBusVirtualObject {
  public:
    explicit ReportObject(KWinProvider& provider) : provider_(provider) {}
    QString introspect(const QString&) const override { return kIntrospection; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override;

  private:
    KWinProvider& provider_;
};

class KWinProvider final : public IDesktopProvider {
  public:
    explicit KWinProvider(DesktopTable& table)
        : bus_(QDBusConnection::sessionBus()), windows_(table), reports_(*this) {}

    ~KWinProvider() override {
        if (loaded_ && !owner_.isEmpty())
            CallShell(bus_, ScriptingCall("unloadScript", {kScriptName}), nullptr);
        if (registered_)
            bus_.unregisterObject(kReportPath);
    }

    std::string_view Name() const override { return "kwin"; }
    // Reports already read from the bus but not yet handed to the object, without running
    // anything else of the host's.
    void Pump() override { QCoreApplication::sendPostedEvents(&reports_, QEvent::MetaCall); }
    int EventFd() const override { return -1; }

    bool Start(QString* whyNot) {
        if (!bus_.isConnected())
            return Fail(whyNot, "no session bus");
        owner_ = OwnerOf(bus_, kKWin);
        if (owner_.isEmpty())
            return Fail(whyNot, "KWin is not on the session bus");
        if (!WriteScript(whyNot))
            return false;
        registered_ = bus_.registerVirtualObject(kReportPath, &reports_);
        if (!registered_)
            return Fail(whyNot, kReportPath + " is taken on the session bus");
        // A new KWin (after a crash) starts without the script: load it there again.
        watcher_.emplace(kKWin, bus_, QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(
            &*watcher_, &QDBusServiceWatcher::serviceOwnerChanged, &reports_,
            [this](const QString&, const QString&, const QString& owner) { Restarted(owner); });
        QEventLoop wait;
        firstReport_ = &wait;
        if (!Load(whyNot)) {
            firstReport_ = nullptr;
            return false;
        }
        QTimer::singleShot(kFirstReportMs, &wait, &QEventLoop::quit);
        if (!reported_)
            wait.exec();
        firstReport_ = nullptr;
        return reported_ || Fail(whyNot, "Velk's KWin script did not report");
    }

    bool Handle(const QDBusMessage& message, const QDBusConnection& bus) {
        if (message.interface() != kReportInterface)
            return false;
        if (message.service() != owner_) {
            bus.send(message.createErrorReply(QDBusError::AccessDenied, "only KWin reports"));
            return true;
        }
        if (!Apply(message.member(), message.arguments())) {
            bus.send(message.createErrorReply(QDBusError::InvalidArgs, message.signature()));
            return true;
        }
        bus.send(message.createReply());
        return true;
    }

  private:
    static bool Fail(QString* whyNot, const QString& why) {
        if (whyNot)
            *whyNot = why;
        return false;
    }

    bool Apply(const QString& member, const QVariantList& args) {
        const auto text = [&](int i) {
            return i < args.size() && args[i].metaType() == QMetaType::fromType<QString>();
        };
        if (member == "Window" && args.size() == 2 && text(0) && text(1)) {
            windows_.Set(args[0].toString(), args[1].toString());
        } else if (member == "Active" && args.size() == 2 && text(0) && text(1)) {
            windows_.Set(args[0].toString(), args[1].toString());
            windows_.SetFront(args[0].toString());
        } else if (member == "Closed" && args.size() == 1 && text(0)) {
            windows_.Remove(args[0].toString());
        } else if (member == "Windows" && args.size() == 2 && text(1)) {
            const auto flat = StringArray(args[0]);
            if (!flat || flat->size() % 2 != 0)
                return false;
            std::vector<std::pair<QString, QString>> windows;
            for (qsizetype i = 0; i < flat->size(); i += 2)
                windows.emplace_back(flat->at(i), flat->at(i + 1));
            windows_.Replace(windows, args[1].toString());
            reported_ = true;
            if (firstReport_)
                firstReport_->quit();
        } else {
            return false;
        }
        return true;
    }

    // The installed script with this connection's unique name in it, in the user's private
    // runtime directory, for as long as the script may read it.
    bool WriteScript(QString* whyNot) {
        const QString source = VelkDataFile("kwin/velk.js");
        QFile in(source);
        if (source.isEmpty() || !in.open(QIODevice::ReadOnly))
            return Fail(whyNot, "Velk's KWin script (share/velk/kwin/velk.js) is not installed");
        QString text = QString::fromUtf8(in.readAll());
        if (text.count(kServiceToken) != 1)
            return Fail(whyNot, source + " is not Velk's KWin script");
        text.replace(kServiceToken, '"' + bus_.baseService() + '"');
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        script_.setFileTemplate(dir + "/velk-kwin-XXXXXX.js");
        if (!script_.open() || script_.write(text.toUtf8()) < 0 || !script_.flush())
            return Fail(whyNot, "cannot write " + script_.fileName());
        return true;
    }

    bool Load(QString* whyNot) {
        QString error;
        // Ours, from a run that ended without unloading it.
        const auto loaded = CallShell(bus_, ScriptingCall("isScriptLoaded", {kScriptName}), &error);
        if (loaded && loaded->arguments().value(0).toBool())
            CallShell(bus_, ScriptingCall("unloadScript", {kScriptName}), nullptr);
        const auto id =
            CallShell(bus_, ScriptingCall("loadScript", {script_.fileName(), kScriptName}), &error);
        if (!id || id->arguments().value(0).toInt() < 0)
            return Fail(whyNot, "KWin did not load the script: " + error);
        loaded_ = true;
        // Numbers are reused once scripts are unloaded: address ours by the number it got
        // now. Plasma 6 names the object /Scripting/Script<id>, Plasma 5 /<id>.
        const QString number = QString::number(id->arguments().value(0).toInt());
        for (const QString& path : {"/Scripting/Script" + number, "/" + number}) {
            const QDBusMessage run =
                QDBusMessage::createMethodCall(kKWin, path, "org.kde.kwin.Script", "run");
            if (CallShell(bus_, run, &error))
                return true;
        }
        return Fail(whyNot, "KWin did not run the script: " + error);
    }

    void Restarted(const QString& owner) {
        windows_.Forget();
        owner_ = owner;
        loaded_ = false;
        if (!owner.isEmpty())
            Reload(kReloadTries);
    }

    // A KWin that has just taken its name may not serve scripts yet.
    void Reload(int tries) {
        if (owner_.isEmpty() || loaded_ || Load(nullptr) || tries <= 1)
            return;
        QTimer::singleShot(1000, &reports_, [this, tries] { Reload(tries - 1); });
    }

    QDBusConnection bus_;
    ShellWindows windows_;
    ReportObject reports_;
    QTemporaryFile script_;
    std::optional<QDBusServiceWatcher> watcher_;
    QString owner_;
    QEventLoop* firstReport_ = nullptr;
    bool registered_ = false;
    bool loaded_ = false;
    bool reported_ = false;
};

bool ReportObject::handleMessage(const QDBusMessage& message, const QDBusConnection& bus) {
    return provider_.Handle(message, bus);
}

}  // namespace

std::unique_ptr<IDesktopProvider> MakeKWinProvider(DesktopTable& table, std::string* whyNot) {
    return StartShellProvider<KWinProvider>(table, "KWin's", whyNot);
}

}  // namespace velk

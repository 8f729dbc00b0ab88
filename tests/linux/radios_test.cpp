// The Linux radios against real peers: python3-dbusmock's NetworkManager and BlueZ on a
// private bus, and a socket pair that plays the kernel's switch device.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/rfkill.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusVariant>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/linux/radios.h"

extern char** environ;

namespace velk::linux::test {
namespace {

using testing::Contains;
using testing::HasSubstr;
using Clock = std::chrono::steady_clock;

const QString kNm = QStringLiteral("org.freedesktop.NetworkManager");
const QString kNmPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kBluez = QStringLiteral("org.bluez");
const QString kAdapterPath = QStringLiteral("/org/bluez/hci0");
const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kFault = QStringLiteral("test.Fault");

constexpr BusBounds kTestBounds{std::chrono::milliseconds(400), std::chrono::milliseconds(1500)};

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return done();
}

// A child process, ended and reaped with its owner; its output to *out when asked.
class Child {
  public:
    explicit Child(std::vector<std::string> argv, int* out = nullptr) {
        std::vector<char*> args;
        for (std::string& a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        int pipe[2] = {-1, -1};
        if (out && ::pipe2(pipe, O_CLOEXEC) == 0)
            posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
        else
            posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        EXPECT_EQ(posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        if (pipe[1] >= 0)
            ::close(pipe[1]);
        if (out)
            *out = pipe[0];
    }
    ~Child() {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

  private:
    pid_t pid_ = -1;
};

// A bus of its own, named by DBUS_SYSTEM_BUS_ADDRESS and DBUS_SESSION_BUS_ADDRESS.
class PrivateBus {
  public:
    PrivateBus() {
        char dir[] = "/tmp/velk-radios-XXXXXX";
        dir_ = ::mkdtemp(dir);
        std::ofstream(dir_ + "/bus.conf")
            << "<busconfig><listen>unix:tmpdir=" << dir_ << "</listen><auth>EXTERNAL</auth>"
            << "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
            << "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy></busconfig>";
        int out = -1;
        daemon_ = std::make_unique<Child>(
            std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + dir_ + "/bus.conf",
                                     "--nofork", "--print-address=1"},
            &out);
        char buffer[512] = {};
        ssize_t got = 0, n;
        while ((got == 0 || buffer[got - 1] != '\n') &&
               (n = ::read(out, buffer + got, sizeof buffer - 1 - got)) > 0)
            got += n;
        ::close(out);
        const std::string address(buffer, got > 0 ? got - 1 : 0);
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        name_ = QString::fromStdString(dir_);
        EXPECT_TRUE(
            QDBusConnection::connectToBus(QString::fromStdString(address), name_).isConnected());
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(name_);
        daemon_.reset();
        std::filesystem::remove_all(dir_);
    }
    // Calls a method and fails the test on an error reply.
    QDBusMessage Ask(const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QList<QVariant>& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = QDBusConnection(name_).call(call, QDBus::Block, 10000);
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
        return reply;
    }
    bool Prop(const QString& service, const QString& path, const QString& iface, const char* name) {
        const QDBusMessage reply = Ask(service, path, "org.freedesktop.DBus.Properties", "Get",
                                       {iface, QString::fromLatin1(name)});
        return !reply.arguments().isEmpty() &&
               reply.arguments().at(0).value<QDBusVariant>().variant().toBool();
    }
    bool HasOwner(const QString& name) {
        return QDBusConnection(name_).interface()->isServiceRegistered(name);
    }

  private:
    std::string dir_;
    QString name_;
    std::unique_ptr<Child> daemon_;
};

// python3-dbusmock (a template, or a name, path and interface), owning the name while
// it lives.
class Mock {
  public:
    Mock(PrivateBus& bus, QString name, std::vector<std::string> args) : bus_(bus), name_(name) {
        args.insert(args.begin(), {"/usr/bin/python3", "-m", "dbusmock", "--system"});
        child_ = std::make_unique<Child>(args);
        EXPECT_TRUE(WaitFor([&] { return bus_.HasOwner(name_); })) << args.back();
    }
    ~Mock() {
        child_.reset();
        EXPECT_TRUE(WaitFor([&] { return !bus_.HasOwner(name_); }));
    }

  private:
    PrivateBus& bus_;
    QString name_;
    std::unique_ptr<Child> child_;
};

// Properties.Set that fails with the error last given to test.Fault.Set, and GetAll that
// first sleeps as long as test.Fault.Hang said.
void AddFaults(PrivateBus& bus, const QString& service, const QString& path) {
    const auto add = [&](const char* iface, const char* name, const char* in, const char* out,
                         const char* code) {
        bus.Ask(service, path, kMock, "AddMethod", {iface, name, in, out, code});
    };
    add("org.freedesktop.DBus.Properties", "Set", "ssv", "",
        "if getattr(self, 'fault', ''):\n"
        "    raise dbus.exceptions.DBusException('refused', name=self.fault)\n"
        "self.props[args[0]][args[1]] = args[2]");
    add("org.freedesktop.DBus.Properties", "GetAll", "s", "a{sv}",
        "time.sleep(getattr(self, 'hang', 0))\nret = self.props[args[0]]");
    add("test.Fault", "Set", "s", "", "self.fault = args[0]");
    add("test.Fault", "Hang", "d", "", "self.hang = args[0]");
}

// The kernel's switch device. Each open gets a socket pair whose far end holds one ADD
// event per switch (then any extra events); what the program wrote there is applied at
// the next open or Drain, as the kernel would have applied it.
class FakeKernel final : public IRfkillDevice {
  public:
    std::vector<RfkillSwitch> switches;
    std::vector<rfkill_event_ext> extraEvents;
    std::size_t eventSize = 8;  // 9: gives the larger events when asked
    int openError = 0, writeOpenError = 0;
    bool shortWrite = false;  // takes 4 bytes of each event
    int writes = 0;           // whole events applied

    UniqueFd Open(bool forWriting) override {
        Drain();
        if (openError || (forWriting && writeOpenError)) {
            errno = openError ? openError : writeOpenError;
            return UniqueFd();
        }
        int pair[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK, 0, pair), 0);
        for (const RfkillSwitch& s : switches) {
            rfkill_event_ext ev{s.index, s.type, RFKILL_OP_ADD, s.soft, s.hard, 0};
            ::send(pair[1], &ev, eventSize, 0);
        }
        for (const rfkill_event_ext& ev : extraEvents)
            ::send(pair[1], &ev, eventSize, 0);
        ends_.emplace_back(pair[1]);
        return UniqueFd(pair[0]);
    }
    bool RequestEventSize(int, std::uint32_t size) override {
        errno = ENOTTY;
        return eventSize > 8 && size >= eventSize;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return ::write(fd, data, shortWrite ? 4 : size);
    }
    std::string Name(std::uint32_t index) override { return Find(index) ? Find(index)->name : ""; }
    RfkillSwitch* Find(std::uint32_t index) {
        for (RfkillSwitch& s : switches)
            if (s.index == index)
                return &s;
        return nullptr;
    }
    void Drain() {
        for (const UniqueFd& end : ends_) {
            rfkill_event_ext ev;
            for (ssize_t n; (n = ::recv(end.get(), &ev, sizeof ev, MSG_DONTWAIT)) != 0;) {
                // A reader that closed with events unread leaves a reset before its writes.
                if (n < 0 && errno != ECONNRESET)
                    break;
                if (n != static_cast<ssize_t>(eventSize))
                    continue;  // the kernel takes whole events only
                ++writes;
                for (RfkillSwitch& s : switches)
                    if ((ev.type == 0 || ev.type == s.type) &&
                        (ev.op == RFKILL_OP_CHANGE_ALL ||
                         (ev.op == RFKILL_OP_CHANGE && ev.idx == s.index)))
                        s.soft = ev.soft != 0;
            }
        }
        ends_.clear();
    }

  private:
    std::vector<UniqueFd> ends_;
};

// A switch as a case gives it: absent, free, blocked by software, hardware, or both.
enum Sw { kNone = -1, kFree = 0, kSoft = 1, kHard = 2, kBoth = 3 };

RfkillSwitch Make(std::uint32_t index, std::uint8_t type, Sw sw, const char* name) {
    return {index, type, (sw & kSoft) != 0, (sw & kHard) != 0, name};
}

// The peers of one test: the bus, the daemons as the cases ask for them, and the radios,
// made before any daemon runs, so that daemons that appear later must be found.
class Radios : public testing::Test {
  protected:
    Radios()
        : radios_(LinuxRadios::Options{SystemBusFactory(), SessionBusFactory(), &kernel_,
                                       kTestBounds}) {}
    void Need(bool nm, bool bluez, bool adapter) {
        if (nm != static_cast<bool>(nm_)) {
            nm_.reset(nm ? new Mock(*bus_, kNm, {"--template", "networkmanager"}) : nullptr);
            if (nm)
                AddFaults(*bus_, kNm, kNmPath);
        }
        if (bluez != static_cast<bool>(bluez_)) {
            bluez_.reset(bluez ? new Mock(*bus_, kBluez, {"--template", "bluez5"}) : nullptr);
            hasAdapter_ = false;
        }
        if (bluez && adapter != hasAdapter_) {
            bus_->Ask(kBluez, "/", "org.bluez.Mock", adapter ? "AddAdapter" : "RemoveAdapter",
                      adapter ? QList<QVariant>{"hci0", "velk"} : QList<QVariant>{"hci0"});
            if (adapter)
                AddFaults(*bus_, kBluez, kAdapterPath);
            hasAdapter_ = adapter;
        }
    }
    DWORD Mode() {
        return !bus_->Prop(kBluez, kAdapterPath, kAdapter, "Powered")       ? 0
               : bus_->Prop(kBluez, kAdapterPath, kAdapter, "Discoverable") ? 2
                                                                            : 1;
    }
    DWORD WifiState() {
        DWORD state = 99;
        EXPECT_EQ(radios_.Power().GetDevicePower(kWlanDeviceName, POWER_NAME, &state), 0u);
        return state;
    }

    std::unique_ptr<PrivateBus> bus_ = std::make_unique<PrivateBus>();
    FakeKernel kernel_;
    LinuxRadios radios_;
    std::unique_ptr<Mock> nm_, bluez_;
    bool hasAdapter_ = false;
};

// Bits: NetworkManager runs, BlueZ runs, BlueZ has an adapter.
enum Peers { kAlone = 0, kNmOnly = 1, kNmNoAdapter = 3, kBluezOnly = 6, kAll = 7 };
enum class Do { GetPower, SetPower, GetMode, SetMode };

struct Case {
    int peers;
    Sw wlan, bt;             // the switches, "phy0" and "hci0"
    bool enabled, hardware;  // NetworkManager's WirelessEnabled, WirelessHardwareEnabled
    DWORD mode;              // BlueZ's adapter as a mode: Powered, Discoverable
    const char* fault;       // what the daemons' Set answers
    Do action;
    DWORD arg, rc, out;     // out: the state or mode read
    Sw wlanAfter, btAfter;  // switches after the call
    bool enabledAfter;      // WirelessEnabled after
    DWORD modeAfter;        // the adapter after
    int writes;             // events written to the switch device
};

const char* const kNoFault = "";
constexpr DWORD kAny = 99;

// Ordered so that each daemon starts or stops a few times only.
// clang-format off
const Case kCases[] = {
    // No daemon: the kernel's switches alone.
    {kAlone, kFree, kFree, 0, 0, 0, kNoFault, Do::GetPower, 0, 0, D0, kFree, kFree, 0, 0, 0},
    {kAlone, kSoft, kFree, 0, 0, 0, kNoFault, Do::GetPower, 0, 0, D4, kSoft, kFree, 0, 0, 0},
    {kAlone, kHard, kFree, 0, 0, 0, kNoFault, Do::GetPower, 0, 0, D4, kHard, kFree, 0, 0, 0},
    {kAlone, kNone, kFree, 0, 0, 0, kNoFault, Do::GetPower, 0, kErrorDevNotExist, kAny, kNone, kFree, 0, 0, 0},
    {kAlone, kFree, kFree, 0, 0, 0, kNoFault, Do::SetPower, D4, 0, kAny, kSoft, kFree, 0, 0, 1},
    {kAlone, kSoft, kFree, 0, 0, 0, kNoFault, Do::SetPower, D0, 0, kAny, kFree, kFree, 0, 0, 1},
    {kAlone, kFree, kFree, 0, 0, 0, kNoFault, Do::SetPower, D0, 0, kAny, kFree, kFree, 0, 0, 0},
    {kAlone, kBoth, kFree, 0, 0, 0, kNoFault, Do::SetPower, D0, kErrorNotReady, kAny, kBoth, kFree, 0, 0, 0},
    {kAlone, kNone, kNone, 0, 0, 0, kNoFault, Do::SetPower, D4, kErrorDevNotExist, kAny, kNone, kNone, 0, 0, 0},
    {kAlone, kFree, kFree, 0, 0, 0, kNoFault, Do::GetMode, 0, 0, 1, kFree, kFree, 0, 0, 0},
    {kAlone, kFree, kSoft, 0, 0, 0, kNoFault, Do::GetMode, 0, 0, 0, kFree, kSoft, 0, 0, 0},
    {kAlone, kFree, kFree, 0, 0, 0, kNoFault, Do::SetMode, 0, 0, kAny, kFree, kSoft, 0, 0, 1},
    {kAlone, kFree, kSoft, 0, 0, 0, kNoFault, Do::SetMode, 2, 0, kAny, kFree, kFree, 0, 0, 1},
    {kAlone, kFree, kBoth, 0, 0, 0, kNoFault, Do::SetMode, 1, kErrorNotReady, kAny, kFree, kBoth, 0, 0, 0},
    {kAlone, kFree, kNone, 0, 0, 0, kNoFault, Do::GetMode, 0, kErrorDevNotExist, kAny, kFree, kNone, 0, 0, 0},
    {kAlone, kFree, kNone, 0, 0, 0, kNoFault, Do::SetMode, 1, kErrorDevNotExist, kAny, kFree, kNone, 0, 0, 0},
    // Both daemons appear: NetworkManager's switch and BlueZ's adapter; the kernel's
    // switches only where the adapter's own is blocked.
    {kNmNoAdapter, kFree, kSoft, 1, 1, 0, kNoFault, Do::SetMode, 1, 0, kAny, kFree, kFree, 1, 0, 1},
    {kAll, kSoft, kFree, 1, 1, 0, kNoFault, Do::GetPower, 0, 0, D0, kSoft, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 0, 1, 0, kNoFault, Do::GetPower, 0, 0, D4, kFree, kFree, 0, 0, 0},
    {kAll, kFree, kFree, 1, 0, 0, kNoFault, Do::GetPower, 0, 0, D4, kFree, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 1, 1, 0, kNoFault, Do::SetPower, D4, 0, kAny, kFree, kFree, 0, 0, 0},
    {kAll, kSoft, kFree, 0, 1, 0, kNoFault, Do::SetPower, D0, 0, kAny, kSoft, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 0, 0, 0, kNoFault, Do::SetPower, D0, kErrorNotReady, kAny, kFree, kFree, 0, 0, 0},
    {kAll, kFree, kFree, 0, 1, 0, "org.freedesktop.NetworkManager.PermissionDenied", Do::SetPower, D0, kErrorAccessDenied, kAny, kFree, kFree, 0, 0, 0},
    {kAll, kFree, kFree, 1, 1, 0, "org.freedesktop.DBus.Error.AccessDenied", Do::SetPower, D4, kErrorAccessDenied, kAny, kFree, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 1, 1, 2, kNoFault, Do::GetMode, 0, 0, 2, kFree, kFree, 1, 2, 0},
    {kAll, kFree, kFree, 1, 1, 1, kNoFault, Do::GetMode, 0, 0, 1, kFree, kFree, 1, 1, 0},
    {kAll, kFree, kFree, 1, 1, 0, kNoFault, Do::GetMode, 0, 0, 0, kFree, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 1, 1, 2, kNoFault, Do::SetMode, 0, 0, kAny, kFree, kFree, 1, 0, 0},
    {kAll, kFree, kSoft, 1, 1, 0, kNoFault, Do::SetMode, 1, 0, kAny, kFree, kFree, 1, 1, 1},
    {kAll, kFree, kFree, 1, 1, 1, kNoFault, Do::SetMode, 2, 0, kAny, kFree, kFree, 1, 2, 0},
    {kAll, kFree, kFree, 1, 1, 2, kNoFault, Do::SetMode, 1, 0, kAny, kFree, kFree, 1, 1, 0},
    {kAll, kFree, kBoth, 1, 1, 0, kNoFault, Do::SetMode, 2, kErrorNotReady, kAny, kFree, kBoth, 1, 0, 0},
    {kAll, kFree, kSoft, 1, 1, 0, "org.bluez.Error.Blocked", Do::SetMode, 1, kErrorNotReady, kAny, kFree, kSoft, 1, 0, 2},
    {kAll, kFree, kFree, 1, 1, 0, "org.bluez.Error.InProgress", Do::SetMode, 2, kErrorBusy, kAny, kFree, kFree, 1, 0, 0},
    {kAll, kFree, kFree, 1, 1, 1, "org.bluez.Error.Failed", Do::SetMode, 0, kErrorGenFailure, kAny, kFree, kFree, 1, 1, 0},
    {kAll, kFree, kFree, 1, 1, 0, "org.bluez.Error.NotReady", Do::SetMode, 1, kErrorNotReady, kAny, kFree, kFree, 1, 0, 0},
    // One daemon gone: the other radio falls back to the kernel's switches.
    {kNmOnly, kFree, kFree, 1, 1, 0, kNoFault, Do::GetMode, 0, 0, 1, kFree, kFree, 1, 0, 0},
    {kNmOnly, kFree, kFree, 1, 1, 0, kNoFault, Do::SetMode, 0, 0, kAny, kFree, kSoft, 1, 0, 1},
    {kBluezOnly, kSoft, kFree, 0, 0, 1, kNoFault, Do::GetPower, 0, 0, D4, kSoft, kFree, 0, 1, 0},
    {kBluezOnly, kFree, kFree, 0, 0, 1, kNoFault, Do::SetPower, D4, 0, kAny, kSoft, kFree, 0, 1, 1},
};
// clang-format on

TEST_F(Radios, EachModeAndPowerStateWithAndWithoutTheDaemons) {
    int row = 0;
    for (const Case& c : kCases) {
        SCOPED_TRACE("row " + std::to_string(row++));
        const bool nm = c.peers & 1, bluez = c.peers & 2;
        Need(nm, bluez, c.peers & 4);
        kernel_.switches.clear();
        if (c.wlan != kNone)
            kernel_.switches.push_back(Make(0, kRfkillWlan, c.wlan, "phy0"));
        if (c.bt != kNone)
            kernel_.switches.push_back(Make(1, kRfkillBluetooth, c.bt, "hci0"));
        kernel_.writes = 0;
        const QString fault = QString::fromLatin1(c.fault);
        if (nm) {
            bus_->Ask(kNm, kNmPath, kMock, "UpdateProperties",
                      {kNm, QVariantMap{{"WirelessEnabled", c.enabled},
                                        {"WirelessHardwareEnabled", c.hardware}}});
            bus_->Ask(kNm, kNmPath, kFault, "Set", {fault});
        }
        if (hasAdapter_) {
            bus_->Ask(
                kBluez, kAdapterPath, kMock, "UpdateProperties",
                {kAdapter, QVariantMap{{"Powered", c.mode > 0}, {"Discoverable", c.mode == 2}}});
            bus_->Ask(kBluez, kAdapterPath, kFault, "Set", {fault});
        }
        DWORD out = kAny;
        DWORD rc = 0;
        switch (c.action) {
            case Do::GetPower:
                rc = radios_.Power().GetDevicePower(kWlanDeviceName, POWER_NAME, &out);
                break;
            case Do::SetPower:
                rc = radios_.Power().SetDevicePower(kWlanDeviceName, POWER_NAME, c.arg);
                break;
            case Do::GetMode:
                rc = static_cast<DWORD>(radios_.Bluetooth().BthGetMode(&out));
                break;
            case Do::SetMode:
                rc = static_cast<DWORD>(radios_.Bluetooth().BthSetMode(c.arg));
                break;
        }
        EXPECT_EQ(rc, c.rc);
        if (rc == 0) {
            EXPECT_EQ(out, c.out);
        }
        kernel_.Drain();
        EXPECT_EQ(kernel_.writes, c.writes);
        const RfkillSwitch* wlan = kernel_.Find(0);
        const RfkillSwitch* bt = kernel_.Find(1);
        EXPECT_EQ(wlan ? wlan->soft + 2 * wlan->hard : kNone, c.wlanAfter);
        EXPECT_EQ(bt ? bt->soft + 2 * bt->hard : kNone, c.btAfter);
        if (nm) {
            EXPECT_EQ(bus_->Prop(kNm, kNmPath, kNm, "WirelessEnabled"), c.enabledAfter);
        }
        if (hasAdapter_) {
            EXPECT_EQ(Mode(), c.modeAfter);
        }
        // A failure keeps its reason for the report.
        const std::string& reason = c.action == Do::GetPower || c.action == Do::SetPower
                                        ? radios_.Wifi().LastFailure()
                                        : radios_.Bluetooth().LastFailure();
        EXPECT_EQ(reason.empty(), rc == 0) << reason;
    }
}

TEST_F(Radios, AHungDaemonCostsOneBoundThenRests) {
    Need(true, false, false);
    kernel_.switches = {Make(0, kRfkillWlan, kSoft, "phy0")};
    bus_->Ask(kNm, kNmPath, kFault, "Hang", {2.5});
    DWORD state = kAny;
    bool ran = false;  // the program's own messages wait while a call waits
    QMetaObject::invokeMethod(
        qApp, [&] { ran = true; }, Qt::QueuedConnection);
    const auto start = Clock::now();
    EXPECT_EQ(radios_.Power().GetDevicePower(kWlanDeviceName, POWER_NAME, &state), kErrorTimeout);
    const auto timedOut = Clock::now();
    EXPECT_FALSE(ran);
    const auto first = timedOut - start;
    EXPECT_GE(first, kTestBounds.bound / 2);
    EXPECT_LT(first, std::chrono::milliseconds(2000));  // well short of the daemon's 2.5 s
    // Resting: answered at once, not after another bound, and not from the kernel's switches.
    const auto second = Clock::now();
    EXPECT_EQ(radios_.Power().SetDevicePower(kWlanDeviceName, POWER_NAME, D0), kErrorTimeout);
    EXPECT_LT(Clock::now() - second, kTestBounds.bound);
    EXPECT_EQ(kernel_.writes, 0);
    EXPECT_THAT(radios_.Report(), Contains(HasSubstr("no answer in time")));
    // Once the daemon answers again and the rest is over, it is asked again.
    bus_->Ask(kNm, kNmPath, kFault, "Hang", {0.0});
    std::this_thread::sleep_until(timedOut + kTestBounds.rest);
    EXPECT_EQ(WifiState(), D0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);
}

TEST_F(Radios, ANewBusIsFoundAfterTheOldOneBroke) {
    kernel_.switches = {Make(0, kRfkillWlan, kSoft, "phy0")};
    Need(true, false, false);
    EXPECT_EQ(WifiState(), D0);
    Need(false, false, false);
    bus_.reset();
    EXPECT_EQ(WifiState(), D4);  // no bus: the kernel's switch
    bus_ = std::make_unique<PrivateBus>();
    Need(true, false, false);
    EXPECT_EQ(WifiState(), D0);
    EXPECT_THAT(radios_.Report(), Contains("WiFi: NetworkManager: on"));
}

// The switch device without any daemon: event sizes, events after the first burst,
// refusals and a kernel that takes part of an event.
TEST_F(Radios, TheSwitchDevice) {
    kernel_.eventSize = 9;
    kernel_.switches = {Make(0, kRfkillWlan, kFree, "phy0"),
                        Make(1, kRfkillBluetooth, kSoft, "hci0")};
    kernel_.extraEvents = {{7, kRfkillWlan, RFKILL_OP_ADD, 0, 0, 0},
                           {0, kRfkillWlan, RFKILL_OP_CHANGE, 1, 0, 0},
                           {7, kRfkillWlan, RFKILL_OP_DEL, 0, 0, 0}};
    DWORD state = kAny;
    EXPECT_EQ(radios_.Power().GetDevicePower(kWlanDeviceName, POWER_NAME, &state), 0u);
    EXPECT_EQ(state, D4);  // phy0 blocked by a later event; switch 7 came and went
    kernel_.extraEvents.clear();
    EXPECT_EQ(radios_.Bluetooth().BthSetMode(1), 0);
    kernel_.Drain();
    EXPECT_EQ(kernel_.writes, 1);
    EXPECT_FALSE(kernel_.Find(1)->soft);
    EXPECT_THAT(radios_.Report(), Contains("Switch device: events of 9 bytes"));

    kernel_.shortWrite = true;
    EXPECT_EQ(radios_.Power().SetDevicePower(kWlanDeviceName, POWER_NAME, D4), kErrorGenFailure);
    EXPECT_THAT(radios_.Wifi().LastFailure(), HasSubstr("took 4 of 9 bytes"));
    kernel_.shortWrite = false;
    kernel_.writeOpenError = EACCES;
    EXPECT_EQ(radios_.Power().SetDevicePower(kWlanDeviceName, POWER_NAME, D4), kErrorAccessDenied);
    EXPECT_THAT(radios_.Report(), Contains(HasSubstr("switching would fail: cannot open "
                                                     "/dev/rfkill for writing")));
    kernel_.openError = ENOENT;
    EXPECT_EQ(radios_.Bluetooth().BthGetMode(&state), static_cast<INT>(kErrorDevNotExist));
}

TEST_F(Radios, OtherDevicesKernelRequestsAndEvents) {
    LinuxPower& power = radios_.Power();
    DWORD state = kAny;
    EXPECT_EQ(
        power.GetDevicePower(u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\other", POWER_NAME, &state),
        kErrorCallNotImplemented);
    EXPECT_EQ(power.SetDevicePower(kWlanDeviceName, POWER_NAME, 2), kErrorInvalidParameter);
    DWORD one = 1;
    EXPECT_EQ(power.KernelIoControl(kIoctlWlanPowerUp, &one, 4, nullptr, 0, nullptr), 0);
    const HANDLE a = power.CreateEventW(0, 0, kWlanStatusChangeEvent);
    const HANDLE b = power.CreateEventW(0, 0, kWlanStatusChangeEvent);
    ASSERT_TRUE(a && b && a != b);
    EXPECT_TRUE(power.EventModify(b, EVENT_SET));
    EXPECT_TRUE(power.EventSignalled(kWlanStatusChangeEvent));  // one event, two handles
    EXPECT_TRUE(power.CloseHandle(a));
    EXPECT_TRUE(power.CloseHandle(b));
    EXPECT_FALSE(power.CloseHandle(b));
    EXPECT_FALSE(power.EventModify(b, EVENT_SET));
    EXPECT_EQ(power.OpenHandles(), 0u);
    power.SystemIdleTimerReset();  // nobody listens: costs nothing
    const QString saver = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString saverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
    Mock screenSaver(*bus_, saver,
                     {saver.toStdString(), saverPath.toStdString(), saver.toStdString()});
    bus_->Ask(saver, saverPath, kMock, "AddMethod",
              {"", "SimulateUserActivity", "", "", "self.seen = True"});
    bus_->Ask(saver, saverPath, kMock, "AddMethod",
              {"test.Seen", "Seen", "", "b", "ret = getattr(self, 'seen', False)"});
    power.SystemIdleTimerReset();
    EXPECT_TRUE(WaitFor([&] {
        return bus_->Ask(saver, saverPath, "test.Seen", "Seen").arguments().value(0).toBool();
    }));
}

}  // namespace
}  // namespace velk::linux::test

int main(int argc, char** argv) {
    // Qt must never find the desktop's buses; each test starts its own.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/velk-test", 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/velk-test", 1);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "tests/linux/radios_peers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/rfkill.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace velk::linux::test {
namespace {

bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, int* stdoutFd) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int out[2] = {-1, -1};
    if (stdoutFd && ::pipe2(out, O_CLOEXEC) == 0) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (out[1] >= 0)
        ::close(out[1]);
    if (stdoutFd)
        *stdoutFd = out[0];
}

Child::~Child() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

PrivateBus::PrivateBus() {
    char dir[] = "/tmp/velk-radios-XXXXXX";
    dir_ = ::mkdtemp(dir);
    const std::string config = dir_ + "/bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus "
                             "Configuration 1.0//EN\" "
                             "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><listen>unix:tmpdir="
                          << dir_
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow user=\"*\"/><allow own=\"*\"/><allow send_destination=\"*\"/>"
                             "<allow receive_sender=\"*\"/></policy></busconfig>\n";
    int out = -1;
    daemon_ = std::make_unique<Child>(
        std::vector<std::string>{"/usr/bin/dbus-daemon", "--config-file=" + config, "--nofork",
                                 "--print-address=1"},
        &out);
    char buffer[512] = {};
    std::size_t got = 0;
    while (got < sizeof buffer - 1 && (got == 0 || buffer[got - 1] != '\n')) {
        const ssize_t n = ::read(out, buffer + got, sizeof buffer - 1 - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(out);
    address_.assign(buffer, got > 0 ? got - 1 : 0);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    connectionName_ = QStringLiteral("velk-test-%1").arg(QString::fromStdString(dir_));
    EXPECT_TRUE(QDBusConnection::connectToBus(QString::fromStdString(address_), connectionName_)
                    .isConnected())
        << "no private bus at '" << address_ << "'";
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(connectionName_);
    daemon_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

QDBusMessage PrivateBus::Ask(const QString& service, const QString& path, const QString& interface,
                             const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection(connectionName_).call(call, QDBus::Block, 10000);
    EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

bool PrivateBus::HasOwner(const QString& name) {
    return QDBusConnection(connectionName_).interface()->isServiceRegistered(name);
}

Mock::Mock(PrivateBus& bus, const char* templateName, const QString& name)
    : bus_(bus), name_(name) {
    child_ = std::make_unique<Child>(std::vector<std::string>{
        "/usr/bin/python3", "-m", "dbusmock", "--system", "--template", templateName});
    EXPECT_TRUE(WaitFor([&] { return bus_.HasOwner(name_); })) << templateName << " did not start";
}

Mock::~Mock() {
    child_.reset();
    EXPECT_TRUE(WaitFor([&] { return !bus_.HasOwner(name_); }));
}

UniqueFd FakeKernel::Open(bool forWriting) {
    Drain();
    if (openError || (forWriting && writeOpenError)) {
        errno = openError ? openError : writeOpenError;
        return UniqueFd();
    }
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0)
        return UniqueFd();
    for (const RfkillSwitch& s : switches) {
        rfkill_event_ext ev{s.index, s.type, RFKILL_OP_ADD, s.soft, s.hard, 0};
        EXPECT_EQ(::send(pair[1], &ev, eventSize, 0), static_cast<ssize_t>(eventSize));
    }
    for (const auto& event : extraEvents)
        ::send(pair[1], event.data(), event.size(), 0);
    ends_.emplace_back(pair[1]);
    return UniqueFd(pair[0]);
}

bool FakeKernel::RequestEventSize(int, std::uint32_t size) {
    if (eventSize > 8 && size >= eventSize)
        return true;
    errno = ENOTTY;
    return false;
}

ssize_t FakeKernel::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, shortWrite ? 4 : size);
}

std::string FakeKernel::Name(std::uint32_t index) {
    const RfkillSwitch* s = Find(index);
    return s ? s->name : std::string();
}

RfkillSwitch* FakeKernel::Find(std::uint32_t index) {
    for (RfkillSwitch& s : switches)
        if (s.index == index)
            return &s;
    return nullptr;
}

void FakeKernel::Drain() {
    for (const UniqueFd& end : ends_) {
        unsigned char buffer[16];
        for (;;) {
            const ssize_t n = ::recv(end.get(), buffer, sizeof buffer, MSG_DONTWAIT);
            // A reader that closed with events unread leaves a reset before its writes.
            if (n < 0 && errno == ECONNRESET)
                continue;
            if (n <= 0)
                break;
            EXPECT_TRUE(static_cast<std::size_t>(n) == eventSize || n == 4) << n << " bytes";
            if (static_cast<std::size_t>(n) != eventSize)
                continue;  // the kernel takes whole events only
            rfkill_event ev;
            std::memcpy(&ev, buffer, sizeof ev);
            ++writes;
            for (RfkillSwitch& s : switches) {
                const bool typed = ev.type == 0 || ev.type == s.type;
                if ((ev.op == RFKILL_OP_CHANGE_ALL && typed) ||
                    (ev.op == RFKILL_OP_CHANGE && typed && ev.idx == s.index))
                    s.soft = ev.soft != 0;
            }
        }
    }
    ends_.clear();
}

}  // namespace velk::linux::test

// The radios' peers for tests: a private bus, python3-dbusmock's NetworkManager and BlueZ
// on it, and a socket pair that plays the kernel's switch device.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariant>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/rfkill.h"

namespace velk::linux::test {

// A child process, ended (SIGTERM) and reaped with its owner.
class Child {
  public:
    // stdoutFd, when given, receives the read end of the child's standard output.
    explicit Child(const std::vector<std::string>& argv, int* stdoutFd = nullptr);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

  private:
    pid_t pid_ = -1;
};

// A bus of its own, named by both DBUS_SYSTEM_BUS_ADDRESS and DBUS_SESSION_BUS_ADDRESS.
class PrivateBus {
  public:
    PrivateBus();
    ~PrivateBus();
    const std::string& address() const { return address_; }
    // Calls a method and fails the test on an error reply.
    QDBusMessage Ask(const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QList<QVariant>& arguments = {});
    bool HasOwner(const QString& name);

  private:
    std::string dir_;
    std::string address_;
    std::unique_ptr<Child> daemon_;
    QString connectionName_;
};

// python3-dbusmock with one of its templates, owning its name until destroyed.
class Mock {
  public:
    Mock(PrivateBus& bus, const char* templateName, const QString& name);
    ~Mock();

  private:
    PrivateBus& bus_;
    QString name_;
    std::unique_ptr<Child> child_;
};

// The kernel's switch device. Each open gets a socket pair whose far end holds one ADD
// event per switch (and any extra events queued); what the program wrote is applied at
// the next open or Drain, as the kernel would have applied it.
class FakeKernel final : public IRfkillDevice {
  public:
    std::vector<RfkillSwitch> switches;
    std::vector<std::vector<unsigned char>> extraEvents;  // sent after the ADD events
    std::size_t eventSize = 8;                            // 9: takes the larger events when asked
    int openError = 0;                                    // errno of every open
    int writeOpenError = 0;                               // errno of opens for writing
    bool shortWrite = false;                              // takes 4 bytes of each event
    int writes = 0;                                       // whole events applied

    UniqueFd Open(bool forWriting) override;
    bool RequestEventSize(int fd, std::uint32_t size) override;
    ssize_t Write(int fd, const void* data, std::size_t size) override;
    std::string Name(std::uint32_t index) override;
    void Drain();
    RfkillSwitch* Find(std::uint32_t index);

  private:
    std::vector<UniqueFd> ends_;
};

}  // namespace velk::linux::test

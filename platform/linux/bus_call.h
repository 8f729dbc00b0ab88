// Bounded calls on a D-Bus bus for the radio services. Every call waits at most its
// bound and never runs the program's own messages while it waits; a service that let a
// call time out rests for a while, so a hung daemon costs one bound, not one per tick.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "platform/types.h"

namespace velk::linux {

// Opens a connection to a bus. Each call must open a new one under a name of its own.
using BusFactory = std::function<QDBusConnection()>;

// The system bus and the session bus as the environment names them.
BusFactory SystemBusFactory();
BusFactory SessionBusFactory();

// One connection, opened on first use and again once it has broken (a restarted bus).
class BusLink {
  public:
    explicit BusLink(BusFactory factory) : factory_(std::move(factory)) {}
    ~BusLink();
    BusLink(const BusLink&) = delete;
    BusLink& operator=(const BusLink&) = delete;

    // The connection; it may be disconnected when no bus answers.
    QDBusConnection Get();
    // Drops the connection so that the next Get opens a new one.
    void Reset();

  private:
    BusFactory factory_;
    std::optional<QDBusConnection> connection_;
};

// How one call ended.
struct BusReply {
    enum class Status {
        Ok,
        Absent,    // nobody owns the service's name
        NoBus,     // no bus to ask
        TimedOut,  // no answer within the bound
        Resting,   // the service timed out a moment ago and is not asked
        Error,     // the service answered with an error
    };
    Status status = Status::NoBus;
    QList<QVariant> arguments;
    std::string errorName;
    std::string errorText;

    bool ok() const { return status == Status::Ok; }
    // The service is not there to ask: its owner is gone, or there is no bus.
    bool away() const { return status == Status::Absent || status == Status::NoBus; }
    // What went wrong, in one line, for a failure report.
    std::string Describe() const;
};

struct BusBounds {
    std::chrono::milliseconds bound{2000};
    std::chrono::milliseconds rest{5000};
};

// One well-known name on a bus (a daemon), asked with bounded, blocking calls.
class BusService {
  public:
    BusService(BusLink& link, QString name, BusBounds bounds = {})
        : link_(link), name_(std::move(name)), bounds_(bounds) {}

    BusReply Call(const QString& path, const QString& interface, const QString& method,
                  const QList<QVariant>& arguments = {});
    // org.freedesktop.DBus.Properties on the object.
    BusReply GetAll(const QString& path, const QString& interface, QVariantMap& properties);
    BusReply Set(const QString& path, const QString& interface, const QString& property,
                 const QVariant& value);

    const QString& name() const { return name_; }
    bool resting() const;

  private:
    using Clock = std::chrono::steady_clock;

    BusLink& link_;
    QString name_;
    BusBounds bounds_;
    std::optional<Clock::time_point> restUntil_;
};

// Windows error codes that the radio services answer with.
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorNotReady = 21;
constexpr DWORD kErrorGenFailure = 31;
constexpr DWORD kErrorDevNotExist = 55;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorCallNotImplemented = 120;
constexpr DWORD kErrorBusy = 170;
constexpr DWORD kErrorTimeout = 1460;

// The code a failed call answers with: refusals (the bus's policy, polkit) are
// ERROR_ACCESS_DENIED, a blocked or unready radio ERROR_NOT_READY, a busy one ERROR_BUSY.
DWORD ErrorCode(const BusReply& reply);

}  // namespace velk::linux

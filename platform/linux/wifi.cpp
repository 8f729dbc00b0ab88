#include "platform/linux/wifi.h"

#include <QDBusArgument>

#include "platform/power.h"

namespace velk::linux {
namespace {

const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kEnabled = QStringLiteral("WirelessEnabled");
const QString kHardwareEnabled = QStringLiteral("WirelessHardwareEnabled");

}  // namespace

LinuxWifi::LinuxWifi(BusLink& system, Rfkill& rfkill, BusBounds bounds)
    : manager_(system, kManager, bounds), rfkill_(rfkill) {}

DWORD LinuxWifi::Fail(DWORD code, std::string reason) {
    lastFailure_ = std::move(reason);
    return code;
}

BusReply LinuxWifi::ReadManager(Manager& manager) {
    QVariantMap properties;
    BusReply reply = manager_.GetAll(kManagerPath, kManager, properties);
    if (!reply.ok())
        return reply;
    if (!properties.contains(kEnabled) || !properties.contains(kHardwareEnabled)) {
        reply.status = BusReply::Status::Error;
        reply.errorName = "its answer has no WirelessEnabled or WirelessHardwareEnabled";
        return reply;
    }
    manager.enabled = properties.value(kEnabled).toBool();
    manager.hardwareEnabled = properties.value(kHardwareEnabled).toBool();
    return reply;
}

DWORD LinuxWifi::GetDevicePower(DWORD* state) {
    Manager manager;
    const BusReply reply = ReadManager(manager);
    if (reply.away())
        return FromSwitches(state, false, false);
    if (!reply.ok())
        return Fail(ErrorCode(reply), "NetworkManager: " + reply.Describe());
    *state = manager.enabled && manager.hardwareEnabled ? D0 : D4;
    lastFailure_.clear();
    return 0;
}

DWORD LinuxWifi::SetDevicePower(DWORD state) {
    const bool on = state == D0;
    Manager manager;
    BusReply reply = ReadManager(manager);
    if (reply.away())
        return FromSwitches(nullptr, true, on);
    if (!reply.ok())
        return Fail(ErrorCode(reply), "NetworkManager: " + reply.Describe());
    if (on && !manager.hardwareEnabled)
        return Fail(kErrorNotReady,
                    "held off by hardware (NetworkManager: WirelessHardwareEnabled is false)");
    if (manager.enabled != on) {
        reply = manager_.Set(kManagerPath, kManager, kEnabled, on);
        if (!reply.ok())
            return Fail(ErrorCode(reply),
                        std::string("NetworkManager did not set WirelessEnabled ") +
                            (on ? "true: " : "false: ") + reply.Describe());
    }
    lastFailure_.clear();
    return 0;
}

DWORD LinuxWifi::FromSwitches(DWORD* state, bool set, bool on) {
    const auto switches = rfkill_.Switches(kRfkillWlan);
    if (!switches)
        return Fail(rfkill_.Denied() ? kErrorAccessDenied : kErrorGenFailure,
                    rfkill_.LastFailure());
    if (switches->empty())
        return Fail(kErrorDevNotExist, "no NetworkManager and no WLAN switch");
    bool anyOn = false, anySoft = false, anyFree = false, allHard = true;
    for (const RfkillSwitch& s : *switches) {
        anyOn = anyOn || (!s.soft && !s.hard);
        anySoft = anySoft || s.soft;
        anyFree = anyFree || !s.soft;
        allHard = allHard && s.hard;
    }
    if (!set) {
        *state = anyOn ? D0 : D4;
        lastFailure_.clear();
        return 0;
    }
    if (on && allHard)
        return Fail(kErrorNotReady,
                    "held off by hardware (every WLAN switch is blocked by hardware)");
    if ((on ? anySoft : anyFree) && !rfkill_.SetSoftAll(kRfkillWlan, !on))
        return Fail(rfkill_.Denied() ? kErrorAccessDenied : kErrorGenFailure,
                    rfkill_.LastFailure());
    lastFailure_.clear();
    return 0;
}

std::vector<std::string> LinuxWifi::Report() {
    std::vector<std::string> lines;
    Manager manager;
    const BusReply reply = ReadManager(manager);
    if (reply.ok()) {
        std::string line = "WiFi: NetworkManager: ";
        line += !manager.hardwareEnabled ? "off, held off by hardware"
                : manager.enabled        ? "on"
                                         : "off";
        lines.push_back(line);
        const BusReply permissions = manager_.Call(kManagerPath, kManager, "GetPermissions");
        QString answer;
        if (permissions.ok() && permissions.arguments.size() == 1)
            answer =
                qdbus_cast<QMap<QString, QString>>(permissions.arguments.at(0))
                    .value(QStringLiteral("org.freedesktop.NetworkManager.enable-disable-wifi"));
        lines.push_back(answer == QLatin1String("yes") ? "WiFi: switching is allowed"
                        : answer == QLatin1String("auth")
                            ? "WiFi: switching needs polkit's consent "
                              "(it fails without an agent)"
                        : answer == QLatin1String("no") ? "WiFi: switching would fail: polkit "
                                                          "refuses enable-disable-wifi"
                                                        : "WiFi: NetworkManager does not say "
                                                          "whether switching is allowed");
    } else if (!reply.away()) {
        lines.push_back("WiFi: NetworkManager: " + reply.Describe());
    } else {
        lines.push_back(std::string("WiFi: ") +
                        (reply.status == BusReply::Status::NoBus
                             ? "no system bus"
                             : "NetworkManager is not running") +
                        "; the kernel's WLAN switches are used");
        const auto switches = rfkill_.Switches(kRfkillWlan);
        if (!switches)
            lines.push_back("WiFi: " + rfkill_.LastFailure());
        else if (switches->empty())
            lines.push_back("WiFi: no WLAN switch: WiFi cannot be switched");
        for (const RfkillSwitch& s : switches.value_or(std::vector<RfkillSwitch>{}))
            lines.push_back("WiFi: " + Describe(s));
        if (switches && !switches->empty()) {
            if (const auto refusal = rfkill_.WriteRefusal())
                lines.push_back("WiFi: switching would fail: " + *refusal);
        }
    }
    if (!lastFailure_.empty())
        lines.push_back("WiFi: the last call failed: " + lastFailure_);
    return lines;
}

}  // namespace velk::linux

#include "platform/linux/bluetooth.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMap>
#include <algorithm>

namespace velk::linux {
namespace {

const QString kBluez = QStringLiteral("org.bluez");
const QString kAdapter = QStringLiteral("org.bluez.Adapter1");
const QString kPowered = QStringLiteral("Powered");
const QString kDiscoverable = QStringLiteral("Discoverable");

constexpr DWORD kOff = 0;
constexpr DWORD kConnectable = 1;
constexpr DWORD kDiscoverableMode = 2;

INT Code(DWORD error) {
    return static_cast<INT>(error);
}

// The switches that hold the adapter: the one the kernel named after it, else (a
// platform switch, an adapter not yet seen) every Bluetooth switch.
std::vector<RfkillSwitch> SwitchesOf(const QString& adapterPath,
                                     const std::vector<RfkillSwitch>& all) {
    const std::string name = adapterPath.section(QLatin1Char('/'), -1).toStdString();
    std::vector<RfkillSwitch> own;
    std::copy_if(all.begin(), all.end(), std::back_inserter(own),
                 [&](const RfkillSwitch& s) { return s.name == name; });
    return own.empty() ? all : own;
}

bool AllHard(const std::vector<RfkillSwitch>& switches) {
    return !switches.empty() && std::all_of(switches.begin(), switches.end(),
                                            [](const RfkillSwitch& s) { return s.hard; });
}

std::string ModeText(DWORD mode) {
    return mode == kOff ? "off" : mode == kConnectable ? "on, connectable" : "on, discoverable";
}

}  // namespace

LinuxBluetooth::LinuxBluetooth(BusLink& system, Rfkill& rfkill, BusBounds bounds)
    : bluez_(system, kBluez, bounds), rfkill_(rfkill) {}

INT LinuxBluetooth::Fail(DWORD code, std::string reason) {
    lastFailure_ = std::move(reason);
    return Code(code);
}

BusReply LinuxBluetooth::FindAdapter(std::optional<Adapter>& adapter) {
    adapter.reset();
    BusReply reply =
        bluez_.Call(QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                    QStringLiteral("GetManagedObjects"));
    if (!reply.ok())
        return reply;
    if (reply.arguments.size() != 1 || !reply.arguments.at(0).canConvert<QDBusArgument>()) {
        reply.status = BusReply::Status::Error;
        reply.errorName = "GetManagedObjects answered in another shape";
        return reply;
    }
    // Ordered by path, so the first adapter is the first in path order.
    QMap<QDBusObjectPath, QMap<QString, QVariantMap>> objects;
    reply.arguments.at(0).value<QDBusArgument>() >> objects;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const auto found = it.value().constFind(kAdapter);
        if (found == it.value().cend())
            continue;
        adapter = Adapter{it.key().path(), found->value(kPowered).toBool(),
                          found->value(kDiscoverable).toBool()};
        break;
    }
    return reply;
}

INT LinuxBluetooth::BthGetMode(DWORD* mode) {
    if (!mode)
        return Code(kErrorInvalidParameter);
    std::optional<Adapter> adapter;
    const BusReply reply = FindAdapter(adapter);
    if (reply.ok() && adapter) {
        *mode = !adapter->powered ? kOff : adapter->discoverable ? kDiscoverableMode : kConnectable;
        lastFailure_.clear();
        return 0;
    }
    if (reply.ok() || reply.away())
        return SwitchesMode(mode, false, kOff);
    return Fail(ErrorCode(reply), "BlueZ: " + reply.Describe());
}

INT LinuxBluetooth::BthSetMode(DWORD mode) {
    if (mode > kDiscoverableMode)
        return Code(kErrorInvalidParameter);
    std::optional<Adapter> adapter;
    const BusReply reply = FindAdapter(adapter);
    if (reply.ok() && adapter)
        return SetAdapterMode(*adapter, mode);
    if (reply.ok() || reply.away())
        return SwitchesMode(nullptr, true, mode);
    return Fail(ErrorCode(reply), "BlueZ: " + reply.Describe());
}

INT LinuxBluetooth::SetAdapterMode(const Adapter& adapter, DWORD mode) {
    if (mode == kOff) {
        if (adapter.powered) {
            const BusReply reply = bluez_.Set(adapter.path, kAdapter, kPowered, false);
            if (!reply.ok())
                return Fail(ErrorCode(reply),
                            "BlueZ did not power the adapter off: " + reply.Describe());
        }
        lastFailure_.clear();
        return 0;
    }
    // Unreadable switches are no reason to stop: BlueZ says what holds the adapter.
    const std::vector<RfkillSwitch> own = SwitchesOf(
        adapter.path, rfkill_.Switches(kRfkillBluetooth).value_or(std::vector<RfkillSwitch>{}));
    if (AllHard(own))
        return Fail(kErrorNotReady, "held off by hardware (" + Describe(own.front()) + ")");
    std::vector<std::uint32_t> unblocked;
    for (const RfkillSwitch& s : own) {
        if (!s.soft)
            continue;
        if (!rfkill_.SetSoft(s.index, false))
            return Fail(rfkill_.Denied() ? kErrorAccessDenied : kErrorGenFailure,
                        rfkill_.LastFailure());
        unblocked.push_back(s.index);
    }
    if (!adapter.powered) {
        const BusReply reply = bluez_.Set(adapter.path, kAdapter, kPowered, true);
        if (!reply.ok()) {
            // The radio stays as it was: blocked again where this call unblocked it.
            for (std::uint32_t index : unblocked)
                rfkill_.SetSoft(index, true);
            return Fail(ErrorCode(reply),
                        "BlueZ did not power the adapter on: " + reply.Describe());
        }
    }
    const bool discoverable = mode == kDiscoverableMode;
    if (adapter.discoverable != discoverable || !adapter.powered) {
        const BusReply reply = bluez_.Set(adapter.path, kAdapter, kDiscoverable, discoverable);
        if (!reply.ok())
            return Fail(ErrorCode(reply),
                        std::string("BlueZ did not make the adapter ") +
                            (discoverable ? "discoverable: " : "undiscoverable: ") +
                            reply.Describe());
    }
    lastFailure_.clear();
    return 0;
}

INT LinuxBluetooth::SwitchesMode(DWORD* mode, bool set, DWORD wanted) {
    const auto switches = rfkill_.Switches(kRfkillBluetooth);
    if (!switches)
        return Fail(rfkill_.Denied() ? kErrorAccessDenied : kErrorGenFailure,
                    rfkill_.LastFailure());
    if (switches->empty())
        return Fail(kErrorDevNotExist, "no BlueZ adapter and no Bluetooth switch");
    const auto any = [&](auto test) {
        return std::any_of(switches->begin(), switches->end(), test);
    };
    if (!set) {
        *mode = any([](const RfkillSwitch& s) { return !s.soft && !s.hard; }) ? kConnectable : kOff;
        lastFailure_.clear();
        return 0;
    }
    const bool on = wanted != kOff;
    if (on && AllHard(*switches))
        return Fail(kErrorNotReady,
                    "held off by hardware (every Bluetooth switch is blocked by hardware)");
    const bool change = any([on](const RfkillSwitch& s) { return s.soft == on; });
    if (change && !rfkill_.SetSoftAll(kRfkillBluetooth, !on))
        return Fail(rfkill_.Denied() ? kErrorAccessDenied : kErrorGenFailure,
                    rfkill_.LastFailure());
    lastFailure_.clear();
    return 0;
}

std::vector<std::string> LinuxBluetooth::Report() {
    std::vector<std::string> lines;
    std::optional<Adapter> adapter;
    const BusReply reply = FindAdapter(adapter);
    const auto switches = rfkill_.Switches(kRfkillBluetooth);
    const std::vector<RfkillSwitch> all = switches.value_or(std::vector<RfkillSwitch>{});
    if (reply.ok() && adapter) {
        const DWORD mode = !adapter->powered       ? kOff
                           : adapter->discoverable ? kDiscoverableMode
                                                   : kConnectable;
        lines.push_back("Bluetooth: BlueZ adapter " + adapter->path.toStdString() + ": " +
                        ModeText(mode));
        for (const RfkillSwitch& s : SwitchesOf(adapter->path, all))
            lines.push_back("Bluetooth: " + Describe(s));
        if (AllHard(SwitchesOf(adapter->path, all)))
            lines.push_back("Bluetooth: held off by hardware: it cannot be switched on");
    } else if (reply.ok() || reply.away()) {
        lines.push_back(std::string("Bluetooth: ") +
                        (reply.ok()                                ? "BlueZ has no adapter"
                         : reply.status == BusReply::Status::NoBus ? "no system bus"
                                                                   : "BlueZ is not running") +
                        "; the kernel's Bluetooth switches are used");
        if (!switches)
            lines.push_back("Bluetooth: " + rfkill_.LastFailure());
        else if (all.empty())
            lines.push_back("Bluetooth: no Bluetooth switch: Bluetooth cannot be switched");
        for (const RfkillSwitch& s : all)
            lines.push_back("Bluetooth: " + Describe(s));
        if (!all.empty()) {
            if (const auto refusal = rfkill_.WriteRefusal())
                lines.push_back("Bluetooth: switching would fail: " + *refusal);
        }
    } else {
        lines.push_back("Bluetooth: BlueZ: " + reply.Describe());
    }
    if (!lastFailure_.empty())
        lines.push_back("Bluetooth: the last call failed: " + lastFailure_);
    return lines;
}

}  // namespace velk::linux

#include "apps/velk-sim/timeline.h"

#include <cstdio>

#include "platform/strings.h"

namespace velk::simrun {
namespace {

bool IsSwitchCall(std::string_view name) {
    return name == "SendMessageW" || name == "BthSetMode" || name == "SetDevicePower" ||
           name == "KernelIoControl" || name == "EventModify";
}

// Calls that only read: after one of them the front window and the radios are as they
// were before it, so the timeline need not look again.
bool OnlyReads(std::string_view name) {
    static constexpr std::string_view kReaders[] = {
        "BthGetMode",
        "EnumWindows",
        "FindWindowW",
        "GetAsyncKeyState",
        "GetDevicePower",
        "GetDlgCtrlID",
        "GetDlgItem",
        "GetForegroundWindow",
        "GetLastError",
        "GetModuleFileNameW",
        "GetParent",
        "GetProcessFileName",
        "GetThreadPriority",
        "GetWindow",
        "GetWindowLongW",
        "GetWindowRect",
        "GetWindowTextLengthW",
        "GetWindowTextW",
        "GetWindowThreadProcessId",
        "GetWorkArea",
        "IsWindow",
        "IsWindowVisible",
        "RegCloseKey",
        "RegOpenKeyExW",
        "RegQueryValueExW",
    };
    for (std::string_view r : kReaders)
        if (r == name)
            return true;
    return false;
}

}  // namespace

bool DeviceRadios::BluetoothOn() const {
    switch (stack_) {
        case Stack::Widcomm:
            return hh_.Widcomm().IsOn();
        case Stack::Microsoft:
            return hh_.Bluetooth().IsOn();
        case Stack::None:
            return false;
    }
    return false;
}

Timeline::Timeline(sim::SimHandheld& handheld, std::ostream& out, const DeviceRadios& radios,
                   bool trace)
    : hh_(handheld), out_(out), radios_(radios), trace_(trace) {}

void Timeline::Print(const sim::TraceCall& c) {
    if (!trace_)
        return;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f", static_cast<double>(c.time) / 1000.0);
    out_ << stamp << "    > " << c.name << "(" << c.Args() << ")\n";
}

void Timeline::Follow(const sim::TraceCall& c) {
    if (IsSwitchCall(c.name))
        lastSwitchCall_ = std::string(c.name) + "(" + c.Args() + ")";
    // What the previous call changed shows now, before this call acts.
    if (observePending_)
        Observe();
    observePending_ = !OnlyReads(c.name);
}

std::size_t Timeline::ProgramCalls(const std::string& name) const {
    const auto it = aside_.find(name);
    return hh_.GetTrace().Count(name) - (it == aside_.end() ? 0 : it->second);
}

void Timeline::Observe() {
    if (observing_)
        return;  // the captions read below must not re-enter
    observing_ = true;
    const std::u16string front = hh_.FrontCaption();
    if (front != front_) {
        front_ = front;
        Say("front: " + (front.empty() ? std::string("(none)") : "\"" + ToUtf8(front) + "\""));
    }
    const bool bt = radios_.BluetoothOn();
    if (bt != btOn_) {
        btOn_ = bt;
        Say(std::string("Bluetooth ") + (bt ? "on " : "off") + "    by " + lastSwitchCall_);
    }
    const bool wifi = radios_.WiFiOn();
    if (wifi != wifiOn_) {
        wifiOn_ = wifi;
        Say(std::string("WiFi ") + (wifi ? "on " : "off") + "         by " + lastSwitchCall_);
    }
    observing_ = false;
}

void Timeline::Say(const std::string& what) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f s  ",
                  static_cast<double>(hh_.GetClock().Now()) / 1000.0);
    out_ << stamp << what << "\n";
}

void Timeline::Explain(const std::string& line) {
    Observe();  // a radio change shows before the reason for it
    Say("why: " + line);
}

}  // namespace velk::simrun

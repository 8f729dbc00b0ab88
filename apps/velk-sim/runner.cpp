#include "apps/velk-sim/runner.h"

#include <cstdio>
#include <cstring>

#include "config/settings.h"
#include "mainframe/switcher_app.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

// Thrown by Wake when the scenario has no command left while a copy of the program is
// still in its message loop: it unwinds every loop up to Play.
struct ScenarioEnd {};

std::u16string U16(const std::string& s) {
    return FromUtf8(s);
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

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

// The command as the timeline shows it: verb and arguments, captions quoted.
std::string Describe(const Command& c) {
    std::string out = c.verb;
    for (const auto& a : c.args) {
        long long n = 0;
        out += " " + (ParseInteger(a, n) ? a : Quoted(a));
    }
    return out;
}

}  // namespace

Runner::Runner(sim::SimHandheld& handheld, std::ostream& out, RunnerOptions options)
    : hh_(handheld), out_(out), options_(std::move(options)) {
    hh_.SetDriver(this);
    // The timeline needs only the counts and the calls as they happen: nothing piles up
    // however long the scenario runs.
    hh_.GetTrace().KeepEntries(false);
    hh_.GetTrace().SetCallListener([this](const sim::TraceCall& c) { OnTrace(c); });
    hh_.Widcomm().Start();
    btOn_ = BluetoothOn();
    wifiOn_ = hh_.Power().AdapterOn();
}

Runner::~Runner() {
    hh_.GetTrace().SetCallListener(nullptr);
    hh_.SetDriver(nullptr);
}

int Runner::Play(const std::vector<Command>& commands, const std::string& source) {
    commands_ = &commands;
    source_ = source;
    next_ = 0;
    try {
        while (next_ < commands.size() || waitUntil_) {
            if (waitUntil_) {
                // No program loop is running: the world moves on by itself.
                const auto until = *waitUntil_;
                waitUntil_.reset();
                if (until > hh_.GetClock().Now())
                    hh_.RunFor(until - hh_.GetClock().Now());
                Observe();
                continue;
            }
            Execute(commands[next_++]);
            Observe();
        }
        Say("end of scenario");
    } catch (const ScenarioEnd&) {
        Observe();
        Say("end of scenario; the program was still running");
    }
    commands_ = nullptr;
    return failures_;
}

std::optional<unsigned long long> Runner::NextWake() {
    Yield(true);  // a copy with nothing to do lets the others start
    if (waitUntil_)
        return waitUntil_;
    return hh_.GetClock().Now();
}

void Runner::Wake() {
    if (waitUntil_) {
        if (hh_.GetClock().Now() < *waitUntil_)
            return;
        waitUntil_.reset();
    }
    Observe();
    if (commands_ == nullptr || next_ >= commands_->size())
        throw ScenarioEnd{};
    Execute((*commands_)[next_++]);
    Observe();
}

void Runner::Execute(const Command& c) {
    const auto& a = c.args;
    const std::string& v = c.verb;
    auto number = [&](std::size_t i) {
        long long n = 0;
        ParseInteger(a[i], n);
        return n;
    };
    if (v != "expect" && v != "wait" && v != "launch" && v != "hung-copy" && v != "screen" &&
        v.rfind("bt-", 0) != 0 && v.rfind("wlan", 0) != 0)
        Say("user: " + Describe(c));
    try {
        if (v == "launch") {
            int copies = 1;
            std::size_t line = 0;
            if (!a.empty() && IsCopyCount(a[0], copies))
                line = 1;
            const std::u16string commandLine =
                a.size() > line ? U16(a[line]) : options_.commandLine;
            if (copies == 1)
                Launch(commandLine);
            else
                LaunchTogether(copies, commandLine);
        } else if (v == "hold-up") {
            holdUp_ = true;
        } else if (v == "hung-copy") {
            // A copy of the program that holds its single-instance mutex but never got
            // as far as a window, as one that hangs in its start would.
            const DWORD pid = hh_.CreatePeerProcess(options_.modulePath);
            std::u16string name = options_.modulePath;
            for (char16_t& ch : name)
                if (ch == u'\\')
                    ch = u'/';
            hh_.ProcessFor(pid).CreateMutexW(0, name.c_str());
            Say("a copy that shows no window (process " + std::to_string(pid) + ")");
        } else if (v == "open") {
            hh_.OpenAppWindow(U16(a[0]));
        } else if (v == "front") {
            hh_.Front(U16(a[0]));
        } else if (v == "close") {
            hh_.Close(U16(a[0]));
        } else if (v == "retitle") {
            hh_.Retitle(U16(a[0]), U16(a[1]));
        } else if (v == "no-front") {
            hh_.NoFront();
        } else if (v == "wait") {
            waitUntil_ = hh_.GetClock().Now() + static_cast<unsigned long long>(number(0));
        } else if (v == "tap") {
            hh_.TapIcon();
        } else if (v == "choose") {
            hh_.ChooseMenuItem(U16(a[0]));
        } else if (v == "screen") {
            if (depth_ > 0)
                throw sim::SimError(
                    "the display's size is set before a launch; a copy of the "
                    "program is running");
            long long width = 0;
            long long height = 0;
            ParseScreenSize(a[0], width, height);
            hh_.SetScreen(static_cast<LONG>(width), static_cast<LONG>(height));
            Say("screen: " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
        } else if (v == "bt-stack") {
            // "none" is a device without any Bluetooth software: no console, no library.
            if (a[0] == "widcomm") {
                stack_ = Stack::Widcomm;
                hh_.Widcomm().Start();
            } else {
                stack_ = a[0] == "microsoft" ? Stack::Microsoft : Stack::None;
                hh_.Widcomm().Stop();
            }
            hh_.SetBluetoothLibraryPresent(stack_ != Stack::None);
            btOn_ = BluetoothOn();
            Say("Bluetooth stack: " + a[0] + (btOn_ ? " (on)" : " (off)"));
        } else if (v == "bt-power") {
            const bool on = a[0] == "on";
            if (stack_ == Stack::Widcomm) {
                hh_.Widcomm().SetPower(on);
            } else if (stack_ == Stack::Microsoft) {
                hh_.Bluetooth().SetMode(on ? 1 : 0);
            }
            btOn_ = BluetoothOn();
            Say(std::string("Bluetooth ") + (btOn_ ? "on" : "off") + " by hand");
        } else if (v == "wlan") {
            if (a[0] == "absent") {
                hh_.Power().SetAdapterPresent(false);
            } else {
                hh_.Power().SetAdapterPresent(true);
                hh_.Power().SetAdapterState(static_cast<DWORD>(a[0][1] - '0'));
            }
            wifiOn_ = hh_.Power().AdapterOn();
            Say("WLAN adapter: " + a[0]);
        } else if (v == "wlan-powerup") {
            hh_.Power().SetPowerUpFails(a[0] == "fails");
        } else if (v == "type") {
            hh_.TypeText(static_cast<INT>(number(0)), U16(a[1]));
        } else if (v == "check") {
            hh_.Check(static_cast<INT>(number(0)), static_cast<int>(number(1)));
        } else if (v == "select") {
            hh_.Select(static_cast<INT>(number(0)), static_cast<int>(number(1)));
        } else if (v == "click") {
            hh_.Click(static_cast<INT>(number(0)));
        } else if (v == "button1") {
            hh_.PressButton(0xC1);
        } else if (v == "dismiss") {
            hh_.DismissMessageBox();
        } else if (v == "expect") {
            Expect(c);
        }
    } catch (const sim::SimError& e) {
        throw ScenarioError(source_, c.line, std::string(e.what()) + " (in: " + c.text + ")");
    }
}

void Runner::Launch(const std::u16string& commandLine) {
    const DWORD pid = hh_.CreateProcess(options_.modulePath);
    ++copies_;
    if (holdUp_) {
        hh_.HoldKeyUntil(VK_UP, hh_.GetClock().Now() + 500);
        holdUp_ = false;
    }
    Say("launch " + ToUtf8(ApplicationNameFromPath(options_.modulePath)) + ".exe" +
        (commandLine.empty() ? "" : " " + Quoted(ToUtf8(commandLine))) + " (process " +
        std::to_string(pid) + ")");
    int code = 0;
    ++depth_;
    try {
        CSwitcherApp app(hh_.PlatformFor(pid), options_.explain ? this : nullptr);
        code = AfxWinMain(app, commandLine);
    } catch (...) {
        --depth_;
        --copies_;
        hh_.ExitProcess(pid, 0);
        throw;
    }
    --depth_;
    --copies_;
    hh_.ExitProcess(pid, static_cast<DWORD>(code));
    lastExit_ = code;
    Observe();
    Say("process " + std::to_string(pid) + " exited with code " + std::to_string(code));
}

bool Runner::BluetoothOn() {
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

void Runner::Expect(const Command& c) {
    const auto& a = c.args;
    const std::string& what = a[0];
    auto onOff = [](bool on) { return std::string(on ? "on" : "off"); };
    if (what == "bt") {
        const bool on = BluetoothOn();
        if (onOff(on) != a[1])
            Fail(c, "Bluetooth " + a[1], "Bluetooth " + onOff(on));
    } else if (what == "wifi") {
        const bool on = hh_.Power().AdapterOn();
        if (onOff(on) != a[1])
            Fail(c, "WiFi " + a[1], "WiFi " + onOff(on));
    } else if (what == "icon") {
        const bool shown = !hh_.Icons().empty();
        const std::string found = shown ? "shown" : "absent";
        if (found != a[1])
            Fail(c, "icon " + a[1], "icon " + found);
    } else if (what == "copies") {
        const std::string found = std::to_string(copies_);
        if (found != a[1])
            Fail(c, a[1] + " copies running", found + " copies running");
    } else if (what == "icons") {
        const std::string found = std::to_string(hh_.Icons().size());
        if (found != a[1])
            Fail(c, a[1] + " icons", found + " icons");
    } else if (what == "key") {
        const bool present = hh_.Registry().KeyExists(HKEY_CURRENT_USER, U16(a[1]));
        const std::string found = present ? "present" : "absent";
        if (found != a[2])
            Fail(c, "key " + Quoted(a[1]) + " " + a[2], found);
    } else if (what == "exit") {
        long long want = 0;
        ParseInteger(a[1], want);
        if (!lastExit_) {
            Fail(c, "exit code " + a[1], "no copy has exited");
        } else if (static_cast<int>(want) != *lastExit_) {
            Fail(c, "exit code " + a[1], "exit code " + std::to_string(*lastExit_));
        }
    } else if (what == "calls") {
        long long want = 0;
        ParseInteger(a[2], want);
        const std::size_t total = hh_.GetTrace().Count(a[1]);
        const std::size_t since = total - callBaseline_[a[1]];
        callBaseline_[a[1]] = total;
        if (since != static_cast<std::size_t>(want))
            Fail(c, a[2] + " calls of " + a[1], std::to_string(since));
    } else if (what == "text" || what == "checked" || what == "selected") {
        long long id = 0;
        ParseInteger(a[1], id);
        std::string found;
        if (what == "text") {
            found = ToUtf8(hh_.ControlText(static_cast<INT>(id)));
            if (found != a[2])
                Fail(c, Quoted(a[2]), Quoted(found));
        } else {
            const int n = what == "checked" ? hh_.ControlChecked(static_cast<INT>(id))
                                            : hh_.ControlSelected(static_cast<INT>(id));
            if (std::to_string(n) != a[2])
                Fail(c, a[2], std::to_string(n));
        }
    } else if (what == "front") {
        const std::string found = ToUtf8(hh_.FrontCaption());
        if (found != a[1])
            Fail(c, "front " + Quoted(a[1]), "front " + Quoted(found));
    } else if (what == "message") {
        if (!hh_.MessageBoxShown()) {
            Fail(c, "message " + Quoted(a[1]), "no message box");
        } else {
            const std::string found = ToUtf8(hh_.FrontMessageBox());
            if (found != a[1])
                Fail(c, "message " + Quoted(a[1]), "message " + Quoted(found));
        }
    } else if (what == "menu") {
        const std::string found = hh_.MenuOpen() ? "open" : "closed";
        if (found != a[1])
            Fail(c, "menu " + a[1], "menu " + found);
    } else if (what == "setting") {
        // The parser admits only names of the settings' table.
        const std::u16string name = U16(a[1]);
        for (const Setting& setting : kSettings) {
            if (name != setting.name)
                continue;
            const std::string found = StoredSetting(setting);
            if (found != a[2])
                Fail(c, a[1] + " = " + a[2], a[1] + " = " + found);
        }
    }
}

std::u16string Runner::SettingsKeyPath() const {
    return std::u16string(u"software\\") + kRegistryKeyWord + u"\\" +
           ApplicationNameFromPath(options_.modulePath) + u"\\" + kSettingsSection;
}

std::string Runner::StoredSetting(const Setting& setting) const {
    auto value = hh_.Registry().GetValue(HKEY_CURRENT_USER, SettingsKeyPath(), setting.name);
    if (!value)
        return "absent";
    if (value->type == REG_DWORD && value->data.size() == 4) {
        std::int32_t n = 0;
        std::memcpy(&n, value->data.data(), 4);
        return std::to_string(n);
    }
    if (value->type == REG_SZ) {
        std::u16string text(value->data.size() / 2, u'\0');
        std::memcpy(text.data(), value->data.data(), text.size() * 2);
        if (!text.empty() && text.back() == u'\0')
            text.pop_back();
        return text.find(u'\0') == std::u16string::npos ? ToUtf8(text) : "(binary)";
    }
    return "(type " + std::to_string(value->type) + ")";
}

void Runner::Fail(const Command& c, const std::string& expected, const std::string& found) {
    ++failures_;
    out_ << source_ << ":" << c.line << ": FAILED: " << c.text << "\n    expected " << expected
         << ", found " << found << "\n";
}

void Runner::OnTrace(const sim::TraceCall& c) {
    if (options_.trace) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%9.3f", static_cast<double>(c.time) / 1000.0);
        out_ << stamp << "    > " << c.name << "(" << c.Args() << ")\n";
    }
    if (c.name == "Sleep")
        Yield(false);
    if (IsSwitchCall(c.name)) {
        lastSwitchCall_ = std::string(c.name) + "(" + c.Args() + ")";
        ++switchCalls_;
    }
    // What the previous call changed shows now, before this call acts.
    if (observePending_)
        Observe();
    observePending_ = !OnlyReads(c.name);
}

void Runner::Observe() {
    if (observing_)
        return;  // the captions read below must not re-enter
    observing_ = true;
    const std::u16string front = hh_.FrontCaption();
    if (front != front_) {
        front_ = front;
        Say("front: " + (front.empty() ? std::string("(none)") : Caption(front)));
    }
    const bool bt = BluetoothOn();
    if (bt != btOn_) {
        btOn_ = bt;
        Say(std::string("Bluetooth ") + (bt ? "on " : "off") + "    by " + lastSwitchCall_);
    }
    const bool wifi = hh_.Power().AdapterOn();
    if (wifi != wifiOn_) {
        wifiOn_ = wifi;
        Say(std::string("WiFi ") + (wifi ? "on " : "off") + "         by " + lastSwitchCall_);
    }
    observing_ = false;
}

void Runner::Say(const std::string& what) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f s  ",
                  static_cast<double>(hh_.GetClock().Now()) / 1000.0);
    out_ << stamp << what << "\n";
}

namespace {

const char* RadioName(EngineRadio radio) {
    return radio == EngineRadio::Bluetooth ? "Bluetooth" : "WiFi";
}

// The list and entry (or the default action and its code) and the radio.
std::string DecisionName(const EngineDecision& d) {
    std::string out = DecisionSourceName(d.source);
    if (d.entry != nullptr)
        out += " " + Quoted(ToUtf8(*d.entry));
    else
        out += " " + std::to_string(d.action) + (d.turnOn ? " (turn on)" : " (turn off)");
    return out + " " + RadioName(d.radio);
}

}  // namespace

void Runner::TickBegins() {
    // A radio that no rule decided at the last tick starts afresh: its next decision is
    // shown even when it repeats the one before the gap.
    for (Explained& e : explained_) {
        if (!e.thisTick)
            e.key.clear();
        e.thisTick = false;
    }
}

bool Runner::RadioOn(EngineRadio radio) {
    return radio == EngineRadio::Bluetooth ? BluetoothOn() : hh_.Power().AdapterOn();
}

void Runner::Deciding(const EngineDecision& decision) {
    explainOnBefore_ = RadioOn(decision.radio);
    explainCallsBefore_ = switchCalls_;
}

void Runner::Decided(const EngineDecision& decision) {
    const bool on = RadioOn(decision.radio);
    const std::string wanted = decision.turnOn ? "on" : "off";
    std::string outcome;
    bool failed = false;
    if (on == decision.turnOn && explainOnBefore_ != decision.turnOn) {
        outcome = "switched " + wanted;
    } else if (explainOnBefore_ == decision.turnOn && switchCalls_ == explainCallsBefore_) {
        outcome = "already " + wanted;
    } else {
        // The switch was tried and the radio did not follow (no stack, a failed power-up).
        outcome = "not switched " + wanted + ": the radio stayed " + (on ? "on" : "off");
        failed = true;
    }
    if (decision.endsTick)
        outcome += "; tick ended by a Bluetooth active match";
    const std::string name = DecisionName(decision);
    if (!decision.turnOn)
        explained_[static_cast<int>(decision.radio)].lastOff = name;
    // The running list decides again at every tick: a repeat of its last outcome for the
    // radio is not shown again. The rest act at a caption change and are always shown.
    const bool changedRadio = on != explainOnBefore_;
    Explain(decision.radio, name + " " + wanted + (failed ? " failed" : ""), name + ": " + outcome,
            changedRadio || decision.source != DecisionSource::OnRunList);
}

void Runner::HeldOff(EngineRadio radio) {
    const Explained& e = explained_[static_cast<int>(radio)];
    const std::string name =
        e.lastOff.empty() ? std::string("an earlier off of ") + RadioName(radio) : e.lastOff;
    Explain(radio, "held", name + ": held off (the running list waits until the caption changes)",
            false);
}

void Runner::Explain(EngineRadio radio, const std::string& key, const std::string& line,
                     bool always) {
    Observe();  // a radio change shows before the reason for it
    Explained& e = explained_[static_cast<int>(radio)];
    e.thisTick = true;
    if (!always && e.key == key)
        return;
    e.key = key;
    Say("why: " + line);
}

std::string Runner::Caption(const std::u16string& caption) const {
    return Quoted(ToUtf8(caption));
}

}  // namespace velk::simrun

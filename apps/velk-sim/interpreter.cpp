// The scenario's commands carried out, one handler per verb of the table in verbs.cpp.

#include "apps/velk-sim/runner.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

std::u16string U16(const std::string& s) {
    return FromUtf8(s);
}

INT Number(const std::string& s) {
    long long n = 0;
    ParseInteger(s, n);
    return static_cast<INT>(n);
}

// The command as the timeline shows it: verb and arguments, captions quoted.
std::string Describe(const Command& c) {
    std::string out = c.verb;
    for (const auto& a : c.args) {
        long long n = 0;
        out += " " + (ParseInteger(a, n) ? a : "\"" + a + "\"");
    }
    return out;
}

}  // namespace

void Runner::Execute(const Command& c) {
    const Verb* verb = c.declaration != nullptr ? c.declaration : FindVerb(c.verb);
    if (verb == nullptr)
        return;  // the parser lets none through
    if (verb->byUser)
        timeline_.Say("user: " + Describe(c));
    try {
        (this->*verb->run)(c);
    } catch (const sim::SimError& e) {
        throw ScenarioError(source_, c.line, std::string(e.what()) + " (in: " + c.text + ")");
    }
}

void Runner::OnLaunch(const Command& c) {
    const auto& a = c.args;
    int copies = 1;
    std::size_t line = 0;
    if (!a.empty() && IsCopyCount(a[0], copies))
        line = 1;
    const std::u16string commandLine = a.size() > line ? U16(a[line]) : options_.commandLine;
    if (copies == 1)
        Launch(commandLine);
    else
        LaunchTogether(copies, commandLine);
}

void Runner::OnHoldUp(const Command&) {
    holdUp_ = true;
}

void Runner::OnHungCopy(const Command&) {
    // A copy of the program that holds its single-instance mutex but never got as far as
    // a window, as one that hangs in its start would.
    const DWORD pid = hh_.CreatePeerProcess(options_.modulePath);
    std::u16string name = options_.modulePath;
    for (char16_t& ch : name)
        if (ch == u'\\')
            ch = u'/';
    hh_.ProcessFor(pid).CreateMutexW(0, name.c_str());
    timeline_.Say("a copy that shows no window (process " + std::to_string(pid) + ")");
}

void Runner::OnOpen(const Command& c) {
    hh_.OpenAppWindow(U16(c.args[0]));
}

void Runner::OnFront(const Command& c) {
    hh_.Front(U16(c.args[0]));
}

void Runner::OnClose(const Command& c) {
    hh_.Close(U16(c.args[0]));
}

void Runner::OnRetitle(const Command& c) {
    hh_.Retitle(U16(c.args[0]), U16(c.args[1]));
}

void Runner::OnNoFront(const Command&) {
    hh_.NoFront();
}

void Runner::OnWait(const Command& c) {
    waitUntil_ = hh_.GetClock().Now() + static_cast<unsigned long long>(Number(c.args[0]));
}

void Runner::OnTap(const Command&) {
    hh_.TapIcon();
}

void Runner::OnChoose(const Command& c) {
    hh_.ChooseMenuItem(U16(c.args[0]));
}

void Runner::OnType(const Command& c) {
    hh_.TypeText(Number(c.args[0]), U16(c.args[1]));
}

void Runner::OnCheck(const Command& c) {
    hh_.Check(Number(c.args[0]), Number(c.args[1]));
}

void Runner::OnSelect(const Command& c) {
    hh_.Select(Number(c.args[0]), Number(c.args[1]));
}

void Runner::OnClick(const Command& c) {
    hh_.Click(Number(c.args[0]));
}

void Runner::OnButton1(const Command&) {
    hh_.PressButton(0xC1);
}

void Runner::OnDismiss(const Command&) {
    hh_.DismissMessageBox();
}

void Runner::OnScreen(const Command& c) {
    if (depth_ > 0)
        throw sim::SimError(
            "the display's size is set before a launch; a copy of the program is running");
    long long width = 0;
    long long height = 0;
    ParseScreenSize(c.args[0], width, height);
    hh_.SetScreen(static_cast<LONG>(width), static_cast<LONG>(height));
    timeline_.Say("screen: " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
}

void Runner::OnBtStack(const Command& c) {
    // "none" is a device without any Bluetooth software: no console, no library.
    using Stack = DeviceRadios::Stack;
    const std::string& stack = c.args[0];
    if (stack == "widcomm") {
        radios_.SetStack(Stack::Widcomm);
        hh_.Widcomm().Start();
    } else {
        radios_.SetStack(stack == "microsoft" ? Stack::Microsoft : Stack::None);
        hh_.Widcomm().Stop();
    }
    hh_.SetBluetoothLibraryPresent(radios_.GetStack() != Stack::None);
    timeline_.ResyncBluetooth();
    timeline_.Say("Bluetooth stack: " + stack + (timeline_.BluetoothSeenOn() ? " (on)" : " (off)"));
}

void Runner::OnBtPower(const Command& c) {
    const bool on = c.args[0] == "on";
    if (radios_.GetStack() == DeviceRadios::Stack::Widcomm)
        hh_.Widcomm().SetPower(on);
    else if (radios_.GetStack() == DeviceRadios::Stack::Microsoft)
        hh_.Bluetooth().SetMode(on ? 1 : 0);
    timeline_.ResyncBluetooth();
    timeline_.Say(std::string("Bluetooth ") + (timeline_.BluetoothSeenOn() ? "on" : "off") +
                  " by hand");
}

void Runner::OnWlan(const Command& c) {
    const std::string& state = c.args[0];
    if (state == "absent") {
        hh_.Power().SetAdapterPresent(false);
    } else {
        hh_.Power().SetAdapterPresent(true);
        hh_.Power().SetAdapterState(static_cast<DWORD>(state[1] - '0'));
    }
    timeline_.ResyncWiFi();
    timeline_.Say("WLAN adapter: " + state);
}

void Runner::OnWlanPowerUp(const Command& c) {
    hh_.Power().SetPowerUpFails(c.args[0] == "fails");
}

void Runner::OnExpect(const Command& c) {
    expectations_.Check(c);
}

}  // namespace velk::simrun

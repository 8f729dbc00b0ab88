#include "apps/velk-sim/expectations.h"

#include "apps/velk-sim/verbs.h"
#include "config/settings.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

long long Number(const std::string& s) {
    long long n = 0;
    ParseInteger(s, n);
    return n;
}

}  // namespace

Expectations::Expectations(sim::SimHandheld& handheld, std::ostream& out,
                           const DeviceRadios& radios, const Timeline& timeline,
                           const RegistryView& registry, RunState run)
    : hh_(handheld),
      out_(out),
      radios_(radios),
      timeline_(timeline),
      registry_(registry),
      run_(run) {}

void Expectations::Check(const Command& c) {
    // The parser admits only the kinds of the table.
    if (const Expectation* kind = FindExpectation(c.args[0]))
        (this->*kind->check)(c);
}

void Expectations::Fail(const Command& c, const std::string& expected, const std::string& found) {
    ++failures_;
    out_ << run_.source << ":" << c.line << ": FAILED: " << c.text << "\n    expected " << expected
         << ", found " << found << "\n";
}

void Expectations::Compare(const Command& c, std::size_t index, const std::string& found,
                           const std::string& what) {
    if (found != c.args[index])
        Fail(c, what + c.args[index], what + found);
}

void Expectations::Radio(const Command& c) {
    const bool bt = c.args[0] == "bt";
    Compare(c, 1, OnOff(bt ? radios_.BluetoothOn() : radios_.WiFiOn()),
            bt ? "Bluetooth " : "WiFi ");
}

void Expectations::Icon(const Command& c) {
    Compare(c, 1, hh_.Icons().empty() ? "absent" : "shown", "icon ");
}

void Expectations::Icons(const Command& c) {
    const std::string found = std::to_string(hh_.Icons().size());
    if (found != c.args[1])
        Fail(c, c.args[1] + " icons", found + " icons");
}

void Expectations::Copies(const Command& c) {
    const std::string found = std::to_string(run_.copies);
    if (found != c.args[1])
        Fail(c, c.args[1] + " copies running", found + " copies running");
}

void Expectations::Exit(const Command& c) {
    if (!run_.lastExit)
        Fail(c, "exit code " + c.args[1], "no copy has exited");
    else if (static_cast<int>(Number(c.args[1])) != *run_.lastExit)
        Fail(c, "exit code " + c.args[1], "exit code " + std::to_string(*run_.lastExit));
}

void Expectations::Calls(const Command& c) {
    const std::string& name = c.args[1];
    const std::size_t total = timeline_.ProgramCalls(name);
    const std::size_t since = total - callBaseline_[name];
    callBaseline_[name] = total;
    if (since != static_cast<std::size_t>(Number(c.args[2])))
        Fail(c, c.args[2] + " calls of " + name, std::to_string(since));
}

void Expectations::Menu(const Command& c) {
    Compare(c, 1, hh_.MenuOpen() ? "open" : "closed", "menu ");
}

void Expectations::Text(const Command& c) {
    const std::string found = ToUtf8(hh_.ControlText(static_cast<INT>(Number(c.args[1]))));
    if (found != c.args[2])
        Fail(c, Quoted(c.args[2]), Quoted(found));
}

void Expectations::Flag(const Command& c) {
    const auto id = static_cast<INT>(Number(c.args[1]));
    const int n = c.args[0] == "checked" ? hh_.ControlChecked(id) : hh_.ControlSelected(id);
    Compare(c, 2, std::to_string(n), "");
}

void Expectations::Front(const Command& c) {
    const std::string found = ToUtf8(hh_.FrontCaption());
    if (found != c.args[1])
        Fail(c, "front " + Quoted(c.args[1]), "front " + Quoted(found));
}

void Expectations::Message(const Command& c) {
    if (!hh_.MessageBoxShown()) {
        Fail(c, "message " + Quoted(c.args[1]), "no message box");
        return;
    }
    const std::string found = ToUtf8(hh_.FrontMessageBox());
    if (found != c.args[1])
        Fail(c, "message " + Quoted(c.args[1]), "message " + Quoted(found));
}

void Expectations::Setting(const Command& c) {
    // The parser admits only names of the settings' table.
    const std::u16string name = FromUtf8(c.args[1]);
    for (const ::velk::Setting& setting : kSettings) {
        if (name != setting.name)
            continue;
        const std::string found = registry_.StoredSetting(setting);
        if (found != c.args[2])
            Fail(c, c.args[1] + " = " + c.args[2], c.args[1] + " = " + found);
    }
}

void Expectations::Key(const Command& c) {
    const std::string found = registry_.KeyExists(FromUtf8(c.args[1])) ? "present" : "absent";
    if (found != c.args[2])
        Fail(c, "key " + Quoted(c.args[1]) + " " + c.args[2], found);
}

}  // namespace velk::simrun

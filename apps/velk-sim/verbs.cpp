#include "apps/velk-sim/verbs.h"

#include "apps/velk-sim/expectations.h"
#include "apps/velk-sim/runner.h"

namespace velk::simrun {

namespace {

constexpr Param kCaption{ArgKind::Text, "\"C\""};
constexpr Param kId{ArgKind::Id, "ID"};

void CheckLaunch(Command& c, const std::string& s) {
    int copies = 1;
    const bool counted = !c.args.empty() && IsCopyCount(c.args[0], copies);
    if (c.args.size() > (counted ? 2u : 1u))
        throw ScenarioError(s, c.line, "'launch' takes at most x2..x16 and a command line");
    if (!counted && !c.args.empty() && c.args[0].size() > 1 && c.args[0][0] == 'x' &&
        c.args.size() == 1 && c.args[0].find_first_not_of("0123456789", 1) == std::string::npos)
        throw ScenarioError(s, c.line, "'launch' starts 2 to 16 copies at once (x2..x16)");
}

std::string Usage(std::string out, const std::vector<Param>& params) {
    for (const Param& p : params)
        out += std::string(" ") + p.shown;
    return out;
}

}  // namespace

bool IsOneOf(std::string_view words, std::string_view word) {
    while (true) {
        const std::size_t bar = words.find('|');
        if (words.substr(0, bar) == word)
            return true;
        if (bar == std::string_view::npos)
            return false;
        words.remove_prefix(bar + 1);
    }
}

const std::vector<Verb>& Verbs() {
    using R = Runner;
    static const std::vector<Verb> kVerbs = {
        {"launch",
         {{ArgKind::Text, "[xN]"}, {ArgKind::Text, "[\"ARGS\"]"}},
         "at most x2..x16 and a command line",
         &R::OnLaunch,
         false,
         "start a copy of Velk (a second `launch` is a second copy; `x2` to `x16` start that "
         "many at the same moment, each overtaken by the others at its waits, as racing "
         "starts are; `\"ARGS\"` is its command line)",
         &CheckLaunch},
        {"hold-up",
         {},
         "no arguments",
         &R::OnHoldUp,
         true,
         "the Up key is down at the 500 ms mark of the next launch"},
        {"hung-copy",
         {},
         "no arguments",
         &R::OnHungCopy,
         false,
         "a copy that holds the single-instance mutex but shows no window"},
        {"open",
         {kCaption},
         "one quoted caption",
         &R::OnOpen,
         true,
         "an application window appears in front"},
        {"front",
         {kCaption},
         "one quoted caption",
         &R::OnFront,
         true,
         "the window comes to the front"},
        {"close", {kCaption}, "one quoted caption", &R::OnClose, true, "the window closes"},
        {"retitle",
         {{ArgKind::Text, "\"Old\""}, {ArgKind::Text, "\"New\""}},
         "two quoted captions",
         &R::OnRetitle,
         true,
         "the window changes caption"},
        {"no-front", {}, "no arguments", &R::OnNoFront, true, "nothing in front"},
        {"wait",
         {{ArgKind::Millis, "MS"}},
         "a number of milliseconds",
         &R::OnWait,
         false,
         "virtual time passes; ticks run"},
        {"tap", {}, "no arguments", &R::OnTap, true, "tap the notification icon"},
        {"choose",
         {{ArgKind::Text, "\"Settings...\""}},
         "one quoted caption",
         &R::OnChoose,
         true,
         "choose in the open menu"},
        {"type",
         {kId, {ArgKind::Text, "\"text\""}},
         "a control id and a quoted text",
         &R::OnType,
         true,
         "type into a control of the dialog in front"},
        {"check",
         {kId, {ArgKind::Number, "0|1"}},
         "a control id and a number",
         &R::OnCheck,
         true,
         "uncheck or check a check box of the dialog in front"},
        {"select",
         {kId, {ArgKind::Number, "N"}},
         "a control id and a number",
         &R::OnSelect,
         true,
         "select item N of a list of the dialog in front"},
        {"click",
         {kId},
         "a control id",
         &R::OnClick,
         true,
         "click a button of the dialog in front (`click 1` is OK, `click 2` Cancel)"},
        {"button1", {}, "no arguments", &R::OnButton1, true, "press Application Button 1"},
        {"dismiss", {}, "no arguments", &R::OnDismiss, true, "OK in the message box"},
        {"screen",
         {{ArgKind::Screen, "WxH"}},
         "the display's size in pixels, WIDTHxHEIGHT",
         &R::OnScreen,
         false,
         "the display's size in pixels (each side 100 to 4096; default `240x320`), given before "
         "a `launch`: the shell's menu bar lies along its bottom edge, and the program picks its "
         "icon from where the bar lies (`480x640` shows the large icon)"},
        {"bt-stack",
         {{ArgKind::Words, "widcomm|microsoft|none", "widcomm|microsoft|none"}},
         "widcomm|microsoft|none",
         &R::OnBtStack,
         false,
         "the device's Bluetooth stack (`none`: no Bluetooth software at all, so the program's "
         "Bluetooth calls fail and change nothing; a stack installed later starts with its "
         "radio in the device's initial state, off)"},
        {"bt-power",
         {{ArgKind::Words, "on|off", "on|off"}},
         "on|off",
         &R::OnBtPower,
         false,
         "Bluetooth switched by hand"},
        {"wlan",
         {{ArgKind::Words, "d0..d4|absent", "d0|d1|d2|d3|d4|absent"}},
         "d0|d1|d2|d3|d4|absent",
         &R::OnWlan,
         false,
         "the WLAN adapter's power state, or no adapter"},
        {"wlan-powerup",
         {{ArgKind::Words, "ok|fails", "ok|fails"}},
         "ok|fails",
         &R::OnWlanPowerUp,
         false,
         "whether the power manager can bring the adapter up (`fails`: only the platform's "
         "power-up sequence can)"},
        {"expect", {}, "what to expect", &R::OnExpect, false, nullptr},
    };
    return kVerbs;
}

const std::vector<Expectation>& ExpectationKinds() {
    using E = Expectations;
    static const std::vector<Expectation> kKinds = {
        {"bt|wifi", {{ArgKind::Words, "on|off", "on|off"}}, &E::Radio, "the radio is on or off"},
        {"icon",
         {{ArgKind::Words, "shown|absent", "shown|absent"}},
         &E::Icon,
         "the program's notification icon"},
        {"icons", {{ArgKind::Number, "N"}}, &E::Icons, "notification icons shown"},
        {"copies", {{ArgKind::Number, "N"}}, &E::Copies, "copies of Velk running"},
        {"exit",
         {{ArgKind::Number, "CODE"}},
         &E::Exit,
         "the exit code of the copy that ended last"},
        {"calls",
         {{ArgKind::Text, "\"Name\""}, {ArgKind::Number, "N"}},
         &E::Calls,
         "platform calls of that name since the last `expect calls` of that name"},
        {"menu",
         {{ArgKind::Words, "open|closed", "open|closed"}},
         &E::Menu,
         "a menu is open or not"},
        {"text", {kId, {ArgKind::Text, "\"t\""}}, &E::Text, "the text of a dialog control"},
        {"checked", {kId, {ArgKind::Number, "0|1"}}, &E::Flag, "a check box of the dialog"},
        {"selected",
         {kId, {ArgKind::Number, "N"}},
         &E::Flag,
         "the item selected in a list of the dialog"},
        {"front", {kCaption}, &E::Front, "the front window's caption"},
        {"message", {{ArgKind::Text, "\"t\""}}, &E::Message, "the text of the message box"},
        {"setting",
         {{ArgKind::Setting, "Name"}, {ArgKind::Text, "VALUE|absent"}},
         &E::Setting,
         "a stored setting, by the name the registry gives it"},
        {"key",
         {{ArgKind::Text, "\"PATH\""}, {ArgKind::Words, "present|absent", "present|absent"}},
         &E::Key,
         "a key under HKEY_CURRENT_USER"},
    };
    return kKinds;
}

const Verb* FindVerb(std::string_view name) {
    for (const Verb& v : Verbs())
        if (name == v.name)
            return &v;
    return nullptr;
}

const Expectation* FindExpectation(std::string_view name) {
    for (const Expectation& e : ExpectationKinds())
        if (IsOneOf(e.names, name))
            return &e;
    return nullptr;
}

std::vector<std::pair<std::string, std::string>> ScenarioReference() {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const Verb& v : Verbs()) {
        if (v.help != nullptr) {
            rows.emplace_back(Usage(v.name, v.params), v.help);
            continue;
        }
        for (const Expectation& e : ExpectationKinds())
            rows.emplace_back(Usage(std::string(v.name) + " " + e.names, e.params), e.help);
    }
    return rows;
}

void PrintScenarioReference(std::ostream& out) {
    constexpr std::size_t kWidth = 80;
    constexpr std::string_view kIndent = "      ";
    out << "scenario commands (one a line; # starts a comment; captions in double quotes):\n";
    for (const auto& [usage, help] : ScenarioReference()) {
        out << "  " << usage << "\n";
        // The help line without the README's code marks, wrapped at word boundaries.
        std::string line(kIndent);
        std::string word;
        const auto put = [&] {
            if (line.size() > kIndent.size() && line.size() + 1 + word.size() > kWidth) {
                out << line << "\n";
                line = kIndent;
            }
            line += (line.size() > kIndent.size() ? " " : "") + word;
            word.clear();
        };
        for (char ch : help) {
            if (ch == ' ')
                put();
            else if (ch != '`')
                word += ch;
        }
        put();
        out << line << "\n";
    }
}

}  // namespace velk::simrun

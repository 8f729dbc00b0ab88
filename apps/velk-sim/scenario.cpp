#include "apps/velk-sim/scenario.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "apps/velk-sim/control_names.h"
#include "config/settings.h"
#include "platform/strings.h"

namespace velk::simrun {
namespace {

// Splits a line into words and quoted strings; stops at an unquoted "#".
std::vector<std::string> Tokenize(std::string_view line, const std::string& source, int lineNo) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string token;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '"') {
                    closed = true;
                    break;
                }
                if (d == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
                    token += line[i++];
                } else {
                    token += d;
                }
            }
            if (!closed)
                throw ScenarioError(source, lineNo, "unterminated quoted text");
            tokens.push_back(std::move(token));
        } else {
            std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '"')
                ++i;
            tokens.emplace_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

bool OneOf(const std::string& s, std::initializer_list<const char*> words) {
    return std::any_of(words.begin(), words.end(), [&](const char* w) { return s == w; });
}

void RequireArgs(const Command& c, std::size_t n, const std::string& source, const char* usage) {
    if (c.args.size() != n)
        throw ScenarioError(source, c.line, "'" + c.verb + "' takes " + usage);
}

void RequireInt(const Command& c, std::size_t index, const std::string& source) {
    long long v = 0;
    if (!ParseInteger(c.args[index], v))
        throw ScenarioError(source, c.line, "'" + c.args[index] + "' is not a number");
}

// A control or command id, as a number or a name of resource_ids.h; a name is replaced
// by its number so that the runner sees numbers only.
void RequireId(Command& c, std::size_t index, const std::string& source) {
    const auto id = ControlId(c.args[index]);
    if (!id)
        throw ScenarioError(source, c.line,
                            "'" + c.args[index] + "' is neither a number nor a control name");
    c.args[index] = std::to_string(*id);
}

// One of the nine stored settings, by the name the registry gives it.
void RequireSetting(const Command& c, std::size_t index, const std::string& source) {
    const std::u16string name = FromUtf8(c.args[index]);
    std::string names;
    for (const Setting& setting : kSettings) {
        if (name == setting.name)
            return;
        names += (names.empty() ? "" : "|") + ToUtf8(setting.name);
    }
    throw ScenarioError(source, c.line,
                        "expected a setting (" + names + "), found '" + c.args[index] + "'");
}

void RequireWord(const Command& c, std::size_t index, const std::string& source,
                 std::initializer_list<const char*> words) {
    if (!OneOf(c.args[index], words)) {
        std::string list;
        for (const char* w : words)
            list += std::string(list.empty() ? "" : "|") + w;
        throw ScenarioError(source, c.line, "expected " + list + ", found '" + c.args[index] + "'");
    }
}

void Check(Command& c, const std::string& s) {
    const std::string& v = c.verb;
    if (OneOf(v, {"hold-up", "hung-copy", "no-front", "tap", "button1", "dismiss"})) {
        RequireArgs(c, 0, s, "no arguments");
    } else if (v == "launch") {
        int copies = 1;
        const bool counted = !c.args.empty() && IsCopyCount(c.args[0], copies);
        if (c.args.size() > (counted ? 2u : 1u))
            throw ScenarioError(s, c.line, "'launch' takes at most x2..x16 and a command line");
        if (!counted && !c.args.empty() && c.args[0].size() > 1 && c.args[0][0] == 'x' &&
            c.args.size() == 1 && c.args[0].find_first_not_of("0123456789", 1) == std::string::npos)
            throw ScenarioError(s, c.line, "'launch' starts 2 to 16 copies at once (x2..x16)");
    } else if (OneOf(v, {"open", "front", "close", "choose"})) {
        RequireArgs(c, 1, s, "one quoted caption");
    } else if (v == "retitle") {
        RequireArgs(c, 2, s, "two quoted captions");
    } else if (v == "wait") {
        RequireArgs(c, 1, s, "a number of milliseconds");
        long long ms = 0;
        if (!ParseInteger(c.args[0], ms) || ms < 0)
            throw ScenarioError(s, c.line, "'wait' takes a number of milliseconds");
    } else if (v == "bt-stack") {
        RequireArgs(c, 1, s, "widcomm|microsoft|none");
        RequireWord(c, 0, s, {"widcomm", "microsoft", "none"});
    } else if (v == "screen") {
        RequireArgs(c, 1, s, "the display's size in pixels, WIDTHxHEIGHT");
        long long width = 0;
        long long height = 0;
        if (!ParseScreenSize(c.args[0], width, height))
            throw ScenarioError(s, c.line,
                                "'screen' takes WIDTHxHEIGHT, each from " +
                                    std::to_string(kMinScreenSide) + " to " +
                                    std::to_string(kMaxScreenSide) + " pixels, e.g. 480x640");
    } else if (v == "bt-power") {
        RequireArgs(c, 1, s, "on|off");
        RequireWord(c, 0, s, {"on", "off"});
    } else if (v == "wlan") {
        RequireArgs(c, 1, s, "d0|d1|d2|d3|d4|absent");
        RequireWord(c, 0, s, {"d0", "d1", "d2", "d3", "d4", "absent"});
    } else if (v == "wlan-powerup") {
        RequireArgs(c, 1, s, "ok|fails");
        RequireWord(c, 0, s, {"ok", "fails"});
    } else if (v == "type") {
        RequireArgs(c, 2, s, "a control id and a quoted text");
        RequireId(c, 0, s);
    } else if (OneOf(v, {"check", "select"})) {
        RequireArgs(c, 2, s, "a control id and a number");
        RequireId(c, 0, s);
        RequireInt(c, 1, s);
    } else if (v == "click") {
        RequireArgs(c, 1, s, "a control id");
        RequireId(c, 0, s);
    } else if (v == "expect") {
        if (c.args.empty())
            throw ScenarioError(s, c.line, "'expect' needs what to expect");
        const std::string& what = c.args[0];
        auto n = c.args.size();
        if (OneOf(what, {"bt", "wifi"}) && n == 2) {
            RequireWord(c, 1, s, {"on", "off"});
        } else if (what == "icon" && n == 2) {
            RequireWord(c, 1, s, {"shown", "absent"});
        } else if (OneOf(what, {"icons", "copies"}) && n == 2) {
            RequireInt(c, 1, s);
        } else if (what == "key" && n == 3) {
            RequireWord(c, 2, s, {"present", "absent"});
        } else if (what == "exit" && n == 2) {
            RequireInt(c, 1, s);
        } else if (what == "calls" && n == 3) {
            RequireInt(c, 2, s);
        } else if (what == "text" && n == 3) {
            RequireId(c, 1, s);
        } else if (OneOf(what, {"checked", "selected"}) && n == 3) {
            RequireId(c, 1, s);
            RequireInt(c, 2, s);
        } else if (OneOf(what, {"front", "message"}) && n == 2) {
        } else if (what == "setting" && n == 3) {
            RequireSetting(c, 1, s);
        } else if (what == "menu" && n == 2) {
            RequireWord(c, 1, s, {"open", "closed"});
        } else {
            throw ScenarioError(s, c.line, "unknown or malformed expect: " + c.text);
        }
    } else {
        throw ScenarioError(s, c.line, "unknown command '" + v + "'");
    }
}

}  // namespace

bool ParseScreenSize(const std::string& s, long long& width, long long& height) {
    const std::size_t x = s.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const std::string w = s.substr(0, x);
    const std::string h = s.substr(x + 1);
    auto digits = [](const std::string& t) {
        return !t.empty() &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(w) || !digits(h) || !ParseInteger(w, width) || !ParseInteger(h, height))
        return false;
    return width >= kMinScreenSide && width <= kMaxScreenSide && height >= kMinScreenSide &&
           height <= kMaxScreenSide;
}

bool IsCopyCount(const std::string& s, int& count) {
    long long n = 0;
    if (s.size() < 2 || s[0] != 'x' || s[1] == '+' || s[1] == '-' ||
        !ParseInteger(s.substr(1), n) || n < 2 || n > 16)
        return false;
    count = static_cast<int>(n);
    return true;
}

bool ParseInteger(const std::string& s, long long& value) {
    if (s.empty())
        return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (*first == '+') {
        ++first;
        if (first != last && *first == '-')
            return false;  // from_chars would take "+-5" as -5
    }
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

std::vector<Command> ParseScenario(std::string_view text, const std::string& source) {
    std::vector<Command> commands;
    int lineNo = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        ++lineNo;
        auto tokens = Tokenize(line, source, lineNo);
        if (!tokens.empty()) {
            Command c;
            c.line = lineNo;
            c.verb = tokens.front();
            c.args.assign(tokens.begin() + 1, tokens.end());
            c.text = std::string(line);
            while (!c.text.empty() && (c.text.back() == '\r' || c.text.back() == ' '))
                c.text.pop_back();
            Check(c, source);
            commands.push_back(std::move(c));
        }
        if (end == text.size())
            break;
        pos = end + 1;
    }
    return commands;
}

}  // namespace velk::simrun

#include "apps/velk-sim/scenario.h"

#include <algorithm>
#include <charconv>

#include "apps/velk-sim/control_names.h"
#include "apps/velk-sim/verbs.h"
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
                 std::string_view words) {
    if (!IsOneOf(words, c.args[index]))
        throw ScenarioError(source, c.line,
                            "expected " + std::string(words) + ", found '" + c.args[index] + "'");
}

// One argument against its declaration.
void CheckArg(Command& c, std::size_t index, const Param& p, const char* takes,
              const std::string& s) {
    switch (p.kind) {
        case ArgKind::Text:
            break;
        case ArgKind::Number:
            RequireInt(c, index, s);
            break;
        case ArgKind::Millis: {
            long long ms = 0;
            if (!ParseInteger(c.args[index], ms) || ms < 0)
                throw ScenarioError(s, c.line, "'" + c.verb + "' takes " + takes);
            break;
        }
        case ArgKind::Id:
            RequireId(c, index, s);
            break;
        case ArgKind::Words:
            RequireWord(c, index, s, p.words);
            break;
        case ArgKind::Screen: {
            long long width = 0;
            long long height = 0;
            if (!ParseScreenSize(c.args[index], width, height))
                throw ScenarioError(s, c.line,
                                    "'" + c.verb + "' takes WIDTHxHEIGHT, each from " +
                                        std::to_string(kMinScreenSide) + " to " +
                                        std::to_string(kMaxScreenSide) + " pixels, e.g. 480x640");
            break;
        }
        case ArgKind::Setting:
            RequireSetting(c, index, s);
            break;
    }
}

void CheckExpect(Command& c, const std::string& s) {
    if (c.args.empty())
        throw ScenarioError(s, c.line, "'expect' needs what to expect");
    const Expectation* kind = FindExpectation(c.args[0]);
    if (kind == nullptr || c.args.size() != kind->params.size() + 1)
        throw ScenarioError(s, c.line, "unknown or malformed expect: " + c.text);
    for (std::size_t i = 0; i < kind->params.size(); ++i)
        CheckArg(c, i + 1, kind->params[i], "", s);
}

void Check(Command& c, const std::string& s) {
    const Verb* verb = FindVerb(c.verb);
    if (verb == nullptr)
        throw ScenarioError(s, c.line, "unknown command '" + c.verb + "'");
    c.declaration = verb;
    if (verb->help == nullptr) {
        CheckExpect(c, s);
        return;
    }
    if (verb->check != nullptr) {
        verb->check(c, s);
        return;
    }
    if (c.args.size() != verb->params.size())
        throw ScenarioError(s, c.line, "'" + c.verb + "' takes " + verb->takes);
    for (std::size_t i = 0; i < verb->params.size(); ++i)
        CheckArg(c, i, verb->params[i], verb->takes, s);
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

// The scenario parser: any text either parses or is refused with ScenarioError (no
// other exception, no sanitizer report). A parsed scenario has one command per line
// at most, in line order, each with a verb; writing every command back with each word
// quoted parses to the same commands. The whole-number reader agrees with a plain
// reading of "optional sign, then decimal digits" within the 64-bit range.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "apps/velk-sim/scenario.h"
#include "fuzz/fuzz_support.h"

namespace {

using velk::simrun::Command;

std::string Quoted(const std::string& word) {
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string Words(const Command& c) {
    std::string out = c.verb;
    for (const std::string& a : c.args)
        out += " [" + a + "]";
    return out;
}

// Optional sign, one or more digits, nothing else, within long long.
bool ReferenceInteger(const std::string& s, long long& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size())
        return false;
    // Accumulate towards the negative end, which holds one more value than the positive.
    long long v = 0;
    constexpr long long kMin = std::numeric_limits<long long>::min();
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        const int digit = s[i] - '0';
        if (v < (kMin + digit) / 10)
            return false;
        v = v * 10 - digit;
    }
    if (!negative) {
        if (v == kMin)
            return false;
        v = -v;
    }
    value = v;
    return true;
}

void CheckInteger(const std::string& s) {
    long long got = 0, expected = 0;
    const bool ok = velk::simrun::ParseInteger(s, got);
    const bool expectedOk = ReferenceInteger(s, expected);
    if (ok != expectedOk || (ok && got != expected))
        velk::fuzz::Fail("ParseInteger reads a whole decimal number",
                         "'" + s + "': " + (ok ? std::to_string(got) : "refused") + ", expected " +
                             (expectedOk ? std::to_string(expected) : "refused"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velk::simrun;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckInteger(std::string(text.substr(0, 24)));

    std::vector<Command> commands;
    try {
        commands = ParseScenario(text, "input.velk");
    } catch (const ScenarioError& e) {
        if (e.Line() < 1)
            velk::fuzz::Fail("a refusal names a line", e.what());
        return 0;
    }
    int lastLine = 0;
    std::string rewritten;
    for (const Command& c : commands) {
        if (c.line <= lastLine || c.verb.empty())
            velk::fuzz::Fail("commands come one per line, in order, each with a verb",
                             std::to_string(c.line) + ": " + Words(c));
        lastLine = c.line;
        rewritten += Quoted(c.verb);
        for (const std::string& a : c.args) {
            rewritten += ' ' + Quoted(a);
            CheckInteger(a);
        }
        rewritten += '\n';
    }
    std::vector<Command> again;
    try {
        again = ParseScenario(rewritten, "rewritten.velk");
    } catch (const ScenarioError& e) {
        velk::fuzz::Fail("a parsed scenario written back with quotes parses again",
                         std::string(e.what()) + "\n" + rewritten);
    }
    if (again.size() != commands.size())
        velk::fuzz::Fail("the rewritten scenario has the same commands", rewritten);
    for (std::size_t i = 0; i < again.size(); ++i)
        if (again[i].verb != commands[i].verb || again[i].args != commands[i].args)
            velk::fuzz::Fail("the rewritten scenario has the same commands",
                             Words(commands[i]) + " became " + Words(again[i]));
    return 0;
}

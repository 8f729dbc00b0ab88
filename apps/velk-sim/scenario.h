// The scenario language of velk-sim: one command a line, "#" starts a comment, captions
// in double quotes. Parsing checks every line before anything runs, so a typo stops the
// run with its line number instead of half-playing a day.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velk::simrun {

struct Verb;

struct Command {
    int line = 0;
    std::string verb;                   // e.g. "open", "expect"
    std::vector<std::string> args;      // quoted arguments arrive unquoted, UTF-8
    std::string text;                   // the line as written, for messages
    const Verb* declaration = nullptr;  // once parsed
};

class ScenarioError : public std::runtime_error {
  public:
    ScenarioError(std::string source, int line, const std::string& what)
        : std::runtime_error(source + ":" + std::to_string(line) + ": " + what),
          source_(std::move(source)),
          line_(line) {}
    const std::string& Source() const { return source_; }
    int Line() const { return line_; }

  private:
    std::string source_;
    int line_;
};

// Splits and checks a whole scenario; throws ScenarioError for the first bad line.
std::vector<Command> ParseScenario(std::string_view text, const std::string& source);

// "WIDTHxHEIGHT" of the screen command, each side within the bounds below.
constexpr long long kMinScreenSide = 100;
constexpr long long kMaxScreenSide = 4096;
bool ParseScreenSize(const std::string& s, long long& width, long long& height);

// "x2" to "x16": the number of copies a launch starts at the same moment.
bool IsCopyCount(const std::string& s, int& count);

// Parses a whole decimal number (optional sign); false when s is not one.
bool ParseInteger(const std::string& s, long long& value);

}  // namespace velk::simrun

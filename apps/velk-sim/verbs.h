// Every command of the scenario language, declared once: its name, its arguments, what
// carries it out and its help line. The parser checks lines against this table, the
// runner dispatches through it, and velk-sim --help and the README's table are made
// from it.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velk::simrun {

struct Command;
class Expectations;
class Runner;

enum class ArgKind {
    Text,     // any word or quoted text
    Number,   // a whole number
    Millis,   // a number of milliseconds, not negative
    Id,       // a control or command id: a number or a name of resource_ids.h
    Words,    // one of the words given
    Screen,   // WIDTHxHEIGHT
    Setting,  // one of the nine settings' names
};

struct Param {
    ArgKind kind;
    const char* shown;            // as the help shows it, e.g. "ID", "\"C\""
    const char* words = nullptr;  // for Words: the words, e.g. "on|off"
};

struct Verb {
    const char* name;
    std::vector<Param> params;
    const char* takes;                      // said of a line with the wrong number of them
    void (Runner::*run)(const Command& c);  // carries it out
    bool byUser;                            // the timeline shows it as the user's action
    const char* help;  // null: what follows it is a kind of expectation, each with its own
    // Checks a line whose arguments the table alone cannot (launch); null for none.
    void (*check)(Command& c, const std::string& source) = nullptr;
};

// The kinds of "expect WHAT ...".
struct Expectation {
    const char* names;  // "bt|wifi": each name is a kind of its own with the same check
    std::vector<Param> params;
    void (Expectations::*check)(const Command& c);
    const char* help;
};

const std::vector<Verb>& Verbs();
const std::vector<Expectation>& ExpectationKinds();
// Whether word is one of words, written "a|b|c".
bool IsOneOf(std::string_view words, std::string_view word);
// Null when there is no such verb or kind.
const Verb* FindVerb(std::string_view name);
const Expectation* FindExpectation(std::string_view name);

// The reference of the language: one row per verb and per kind of expect, as the usage
// and what it does, in the order declared.
std::vector<std::pair<std::string, std::string>> ScenarioReference();
void PrintScenarioReference(std::ostream& out);

}  // namespace velk::simrun

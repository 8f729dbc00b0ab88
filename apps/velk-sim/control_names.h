// The names of res/resource_ids.h, so that a scenario can say `click IDC_FIND_WINDOW`
// as well as `click 1005`. The table is written by hand; a test reads the header and
// checks that every name there is here with its value.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velk::simrun {

struct ControlName {
    const char* name;
    int id;
};

// Every identifier of resource_ids.h, the standard About and Exit commands and the
// dialogs' IDOK and IDCANCEL.
std::span<const ControlName> ControlNames();

// The id a scenario argument names: a whole decimal number or one of the names above.
std::optional<int> ControlId(std::string_view word);

}  // namespace velk::simrun

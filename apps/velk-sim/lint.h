// velk-sim --lint: the stored lists as the program compiles them, and warnings about
// entries that are unlikely to be what the user meant.
#pragma once

#include <ostream>
#include <string>

#include "config/settings.h"
#include "platform/sim/handheld.h"

namespace velk::simrun {

// Reads the nine settings as a launch of the program at modulePath would: through its
// registry profile, with the defaults for what is not stored.
SettingValues ReadStoredSettings(sim::SimHandheld& handheld, const std::u16string& modulePath);

// Prints each list as compiled (entry and radio) and a warning line for each entry
// that begins with white space, starts with "#" and a letter that is no radio prefix,
// is written twice in its list, or overlaps an entry of the other active-window list
// for the same radio. Returns the number of warnings.
int Lint(const SettingValues& values, std::ostream& out);

}  // namespace velk::simrun

// Compiling the three stored caption lists into the six rule arrays, and the exact
// string comparison the engine and the Find Window mode share.
#pragma once

#include "config/settings.h"
#include "engine/engine_state.h"
#include "platform/strings.h"
#include "platform/types.h"

namespace velk {

// Splits list text T into entries for Bluetooth (bt) and WiFi (wf): folds, trims the
// whole text, honours a "#b"/"#w" prefix at the very start of an entry, sends
// unprefixed entries to WiFi only when defControl is 1, drops empty entries. Both
// arrays are emptied first.
void CompileList(CString text, INT defControl, CStringArray& bt, CStringArray& wf);

// Reads the nine stored settings in their fixed order into the engine's copies and
// compiles the three lists; EngineBusy is set for the duration and cleared after.
// LastCaption, the radio states and KeepOnTicks are left alone.
void LoadRuleLists(RegistryProfile& store, EngineState& state);

}  // namespace velk

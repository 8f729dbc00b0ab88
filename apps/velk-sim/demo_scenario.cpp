// The built-in demo scenario (velk-sim --show-demo prints it, to copy and edit).
#include "apps/velk-sim/runner.h"

namespace velk::simrun {

const char kDemoScenario[] =
    R"velk(# The road of one event, with the stored default rules and the Widcomm stack.
# Velk starts; the user opens Internet Explorer, whose running-list entry switches
# Bluetooth on through the "Bluetooth Console"; later ticks find it on and send nothing.
# An "HR: " window in front switches it off again once the browser is gone.
bt-stack widcomm
wlan d4
launch
expect icon shown
wait 2000
open "Internet Explorer"
wait 1500
expect bt on
expect calls "SendMessageW" 1
wait 6000
expect calls "SendMessageW" 0
open "Notes"
close "Internet Explorer"
wait 1500
expect bt on
open "HR: Payroll"
wait 1500
expect bt off
tap
choose "E&xit"
expect icon absent
expect exit 0
)velk";

}  // namespace velk::simrun

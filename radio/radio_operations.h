// The six radio operations through which the switch engine reaches the two radios.
// Switching operations with force 0 ask the radio first and do nothing when it already
// is in the wanted state; a non-zero force skips the query. Nothing is cached.
#pragma once

#include "platform/types.h"

namespace velk {

// The force argument of the switching operations.
constexpr INT kNotForced = 0;  // ask the radio first; nothing when already so
constexpr INT kForced = 1;     // switch without asking

class IRadioOperations {
  public:
    virtual ~IRadioOperations() = default;

    virtual void TurnBluetoothOn(INT force) = 0;
    virtual void TurnBluetoothOff(INT force) = 0;
    virtual INT IsBluetoothOn() = 0;
    virtual void TurnWiFiOn(INT force) = 0;
    virtual void TurnWiFiOff(INT force) = 0;
    virtual INT IsWiFiOn() = 0;
};

}  // namespace velk

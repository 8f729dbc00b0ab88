// The Bluetooth utility library of the seam (Microsoft stack).
#pragma once

#include "platform/types.h"

namespace velk {

// The radio modes of BthSetMode and BthGetMode.
constexpr DWORD BTH_POWER_OFF = 0;
constexpr DWORD BTH_CONNECTABLE = 1;
constexpr DWORD BTH_DISCOVERABLE = 2;

class IBluetooth {
  public:
    virtual ~IBluetooth() = default;

    virtual INT BthSetMode(DWORD mode) = 0;
    virtual INT BthGetMode(DWORD* mode) = 0;
};

}  // namespace velk

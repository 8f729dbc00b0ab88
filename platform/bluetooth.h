// The Bluetooth utility library of the seam (Microsoft stack).
#pragma once

#include "platform/types.h"

namespace velk {

class IBluetooth {
  public:
    virtual ~IBluetooth() = default;

    virtual INT BthSetMode(DWORD mode) = 0;
    virtual INT BthGetMode(DWORD* mode) = 0;
};

}  // namespace velk

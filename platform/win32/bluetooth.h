// The Bluetooth utility service of the seam. The device's own lives in "bthutil.dll" and
// is looked up at run time; where a desktop lacks it, it answers as a failed call does.
#pragma once

#include "platform/bluetooth.h"

#include "platform/win32/desktop_bluetooth.h"
#include "platform/win32/library.h"

namespace velk::win32 {

class Win32Bluetooth : public IBluetooth {
  public:
    explicit Win32Bluetooth(DesktopBluetooth* desktop = nullptr);

    INT BthSetMode(DWORD mode) override;
    INT BthGetMode(DWORD* mode) override;

  private:
    using BthSetModeFn = int(WINAPI*)(::DWORD);
    using BthGetModeFn = int(WINAPI*)(::DWORD*);

    DesktopBluetooth* desktop_;
    OptionalLibrary bthutil_;
    BthSetModeFn setMode_;
    BthGetModeFn getMode_;
};

}  // namespace velk::win32

// Bluetooth through the Widcomm stack (its console window and registry key) or the
// Microsoft stack (BthSetMode/BthGetMode), chosen by the stack code at each call.
#pragma once

#include "platform/bluetooth.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace velk {

class BluetoothControl {
  public:
    // stackCode is the frame's copy of BTControl; it is read afresh by every operation.
    // desktop finds the Widcomm console; windows sends it its commands.
    BluetoothControl(const INT& stackCode, IDesktopWindows& desktop, IWindows& windows,
                     IRegistry& registry, IBluetooth& bluetooth);

    void TurnBluetoothOn(INT force);
    void TurnBluetoothOff(INT force);
    INT IsBluetoothOn();

    const CString ConsoleCaption = u"Bluetooth Console";
    const UINT OnCommand = 4098;
    const UINT OffCommand = 4097;

  private:
    void SendToConsole(UINT command);

    const INT& stackCode_;
    IDesktopWindows& desktop_;
    IWindows& windows_;
    IRegistry& registry_;
    IBluetooth& bluetooth_;
};

}  // namespace velk

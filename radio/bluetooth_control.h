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
    BluetoothControl(const INT& stackCode, IWindowSystem& windows, IRegistry& registry,
                     IBluetooth& bluetooth);

    void TurnBluetoothOn(INT force);
    void TurnBluetoothOff(INT force);
    INT IsBluetoothOn();

    const CString ConsoleCaption = u"Bluetooth Console";
    const UINT OnCommand = 4098;
    const UINT OffCommand = 4097;

  private:
    void SendToConsole(UINT command);

    const INT& stackCode_;
    IWindowSystem& windows_;
    IRegistry& registry_;
    IBluetooth& bluetooth_;
};

}  // namespace velk

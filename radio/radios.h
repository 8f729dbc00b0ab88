// The six radio operations, carried out by the two radio controls.
#pragma once

#include "radio/bluetooth_control.h"
#include "radio/radio_operations.h"
#include "radio/wlan_control.h"

namespace velk {

class Radios : public IRadioOperations {
  public:
    Radios(BluetoothControl& bluetooth, WlanControl& wlan) : bt_(bluetooth), wf_(wlan) {}

    void TurnBluetoothOn(INT force) override { bt_.TurnBluetoothOn(force); }
    void TurnBluetoothOff(INT force) override { bt_.TurnBluetoothOff(force); }
    INT IsBluetoothOn() override { return bt_.IsBluetoothOn(); }
    void TurnWiFiOn(INT force) override { wf_.TurnWiFiOn(force); }
    void TurnWiFiOff(INT force) override { wf_.TurnWiFiOff(force); }
    INT IsWiFiOn() override { return wf_.IsWiFiOn(); }

  private:
    BluetoothControl& bt_;
    WlanControl& wf_;
};

}  // namespace velk

#include "radio/wlan_control.h"

#include "radio/radio_operations.h"

namespace velk {

WlanControl::WlanControl(IPower& power) : power_(power) {}

INT WlanControl::IsWiFiOn() {
    DWORD state = 0;
    const DWORD result = power_.GetDevicePower(kWlanDeviceName, POWER_NAME, &state);
    return result == 0 && state == D0 ? 1 : 0;
}

void WlanControl::TurnWiFiOff(INT force) {
    if (force == kNotForced && IsWiFiOn() == 0)
        return;
    power_.SetDevicePower(kWlanDeviceName, POWER_NAME, D4);
}

void WlanControl::TurnWiFiOn(INT force) {
    if (force == kNotForced && IsWiFiOn() == 1)
        return;
    if (power_.SetDevicePower(kWlanDeviceName, POWER_NAME, D0) == 0)
        return;
    // The platform's own way, when the power manager cannot bring the adapter up.
    RunWlanPowerUpSequence(power_);
}

}  // namespace velk

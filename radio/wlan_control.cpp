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
    RunPowerUpFallback();
}

// The platform's own way of bringing the adapter up when the power manager cannot: the
// device's WLAN software reacts to this exact sequence. Whether it worked is learnt at
// the next query.
void WlanControl::RunPowerUpFallback() {
    // Opens the named event if the WLAN software made it, creates it otherwise:
    // auto-reset, not signalled.
    const auto OpenEvent = [this](const char16_t* name) {
        return power_.CreateEventW(/*manualReset=*/0, /*initialState=*/0, name);
    };

    DWORD one = 1;
    power_.KernelIoControl(kIoctlWlanPowerUp, &one, sizeof one, nullptr, 0, nullptr);

    const HANDLE status = OpenEvent(kWlanStatusChangeEvent);
    if (status) {
        power_.EventModify(status, EVENT_SET);
        power_.CloseHandle(status);
    }

    const HANDLE lock = OpenEvent(kWlanLockUiEvent);
    const HANDLE unlock = OpenEvent(kWlanUnlockUiEvent);
    if (lock)
        power_.EventModify(lock, EVENT_RESET);
    if (unlock)
        power_.EventModify(unlock, EVENT_RESET);

    const HANDLE insert = OpenEvent(kWlanInsertCardEvent);
    if (insert) {
        power_.EventModify(insert, EVENT_SET);
        power_.CloseHandle(insert);
    }

    power_.Sleep(10);

    if (lock)
        power_.CloseHandle(lock);
    if (unlock)
        power_.CloseHandle(unlock);

    DWORD out = 1;
    DWORD returned = 0;
    power_.KernelIoControl(kIoctlWlanResume, nullptr, 0, &out, sizeof out, &returned);
}

}  // namespace velk

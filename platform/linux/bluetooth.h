// The Bluetooth utility library's modes on a Linux desktop: 0 switches the radio off,
// 1 on and connectable, 2 on, connectable and discoverable. BlueZ's first adapter is
// powered and made discoverable; its kernel switch is unblocked first when software
// blocked it. Without BlueZ, or while it has no adapter (a switch that is blocked may
// have taken the adapter away), the kernel's Bluetooth switches alone say on or off.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/bluetooth.h"
#include "platform/linux/bus_call.h"
#include "platform/linux/rfkill.h"

namespace velk::linux {

class LinuxBluetooth final : public IBluetooth {
  public:
    LinuxBluetooth(BusLink& system, Rfkill& rfkill, BusBounds bounds = {});

    INT BthSetMode(DWORD mode) override;
    INT BthGetMode(DWORD* mode) override;

    // Why the last call failed; empty after one that succeeded.
    const std::string& LastFailure() const { return lastFailure_; }
    // Lines for a person: which service, the mode, held by hardware, why a switch fails.
    std::vector<std::string> Report();

  private:
    struct Adapter {
        QString path;
        bool powered = false;
        bool discoverable = false;
    };
    // BlueZ's first adapter in path order; nullopt with an Ok reply when it has none.
    BusReply FindAdapter(std::optional<Adapter>& adapter);
    INT SetAdapterMode(const Adapter& adapter, DWORD mode);
    INT SwitchesMode(DWORD* mode, bool set, DWORD wanted);
    INT Fail(DWORD code, std::string reason);

    BusService bluez_;
    Rfkill& rfkill_;
    std::string lastFailure_;
};

}  // namespace velk::linux

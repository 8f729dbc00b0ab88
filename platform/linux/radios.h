// The Linux desktop's radios behind the seam: IPower (WiFi as the WLAN adapter's power
// state) and IBluetooth (BlueZ, else the kernel's switches), on one system bus connection
// and one switch device. Needs a QCoreApplication (or QApplication) that outlives it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/linux/bluetooth.h"
#include "platform/linux/bus_call.h"
#include "platform/linux/power.h"
#include "platform/linux/rfkill.h"
#include "platform/linux/wifi.h"

namespace velk::linux {

class LinuxRadios {
  public:
    struct Options {
        BusFactory systemBus = SystemBusFactory();
        BusFactory sessionBus = SessionBusFactory();  // empty: no idle-timer resets
        IRfkillDevice* rfkill = nullptr;              // null: /dev/rfkill
        BusBounds bounds = {};
    };

    LinuxRadios() : LinuxRadios(Options{}) {}
    explicit LinuxRadios(Options options);
    LinuxRadios(const LinuxRadios&) = delete;
    LinuxRadios& operator=(const LinuxRadios&) = delete;

    // The seam's roles; each also keeps the reason of its last failure.
    LinuxPower& Power() { return power_; }
    LinuxBluetooth& Bluetooth() { return bluetooth_; }
    LinuxWifi& Wifi() { return wifi_; }

    // What the program sees of the radios and why, one line each: which service drives
    // each radio, on or off, held off by hardware, why switching would fail or last failed.
    std::vector<std::string> Report();

  private:
    KernelRfkillDevice kernelRfkill_;
    BusLink system_;
    std::unique_ptr<BusLink> session_;
    Rfkill rfkill_;
    LinuxWifi wifi_;
    LinuxPower power_;
    LinuxBluetooth bluetooth_;
};

}  // namespace velk::linux

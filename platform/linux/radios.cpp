#include "platform/linux/radios.h"

namespace velk::linux {

LinuxRadios::LinuxRadios(Options options)
    : system_(std::move(options.systemBus)),
      session_(options.sessionBus ? std::make_unique<BusLink>(std::move(options.sessionBus))
                                  : nullptr),
      rfkill_(options.rfkill ? *options.rfkill : kernelRfkill_),
      wifi_(system_, rfkill_, options.bounds),
      power_(wifi_, session_.get()),
      bluetooth_(system_, rfkill_, options.bounds) {}

std::vector<std::string> LinuxRadios::Report() {
    std::vector<std::string> lines = wifi_.Report();
    const std::vector<std::string> bluetooth = bluetooth_.Report();
    lines.insert(lines.end(), bluetooth.begin(), bluetooth.end());
    if (const std::size_t size = rfkill_.EventSize())
        lines.push_back("Switch device: events of " + std::to_string(size) + " bytes");
    return lines;
}

}  // namespace velk::linux

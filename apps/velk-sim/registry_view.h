// The handheld's registry as a scenario sees it: the program's stored settings as
// numbers or texts, and whether a key exists.
#pragma once

#include <string>

#include "config/settings.h"
#include "platform/sim/registry.h"

namespace velk::simrun {

class RegistryView {
  public:
    // modulePath names the program, whose name is a part of its settings' key.
    RegistryView(const sim::SimRegistry& registry, const std::u16string& modulePath)
        : registry_(registry), modulePath_(modulePath) {}

    // The stored value of a setting as a scenario writes it: a number, a text, "absent",
    // or the value's type when it is neither a 4-byte REG_DWORD nor a REG_SZ.
    std::string StoredSetting(const Setting& setting) const;
    bool KeyExists(const std::u16string& path) const;

  private:
    std::u16string SettingsKeyPath() const;

    const sim::SimRegistry& registry_;
    const std::u16string& modulePath_;
};

}  // namespace velk::simrun

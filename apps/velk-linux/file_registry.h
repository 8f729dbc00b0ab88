// The settings of the Linux program: the registry of the seam kept in a `.reg` file. The
// file is read once at the start; changes are saved together once the handler that made
// them is done (a change set: the nine values of the settings dialog's OK make one save),
// and at the end. Saves are atomic (regfile::FileRegistry::SaveFile). A file that cannot be read is
// never written: the program stops before it starts (RegFileError from Load).
#pragma once

#include <functional>
#include <string>

#include "platform/regfile/reg_file.h"
#include "platform/regfile/registry.h"

namespace velk::linux {

class FileRegistry final : public regfile::FileRegistry {
  public:
    // scheduleSave runs its argument once the current handler is done (the host loop's
    // next turn); empty: saved at once.
    FileRegistry(std::string path, std::function<void(std::function<void()>)> scheduleSave);
    ~FileRegistry() override;

    // Reads the file where there is one. Throws regfile::RegFileError.
    void Load();
    // Saves what changed; a failure is told on stderr, and the change stays to save later.
    void Flush();
    const std::string& Path() const { return path_; }

    // The calls that change something note it for the save.
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                         HKEY* result, DWORD* disposition) override;
    LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                        DWORD cbData) override;

  private:
    void Changed();

    std::string path_;
    std::function<void(std::function<void()>)> scheduleSave_;
    bool dirty_ = false;
    bool saveScheduled_ = false;
};

// $XDG_CONFIG_HOME/velk/settings.reg, else ~/.config/velk/settings.reg; empty without a
// home.
std::string DefaultSettingsPath();

}  // namespace velk::linux

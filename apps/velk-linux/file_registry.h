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
#include "platform/registry.h"

namespace velk::linux {

class FileRegistry final : public IRegistry {
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

    LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                       HKEY* result) override;
    LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                         HKEY* result, DWORD* disposition) override;
    LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                          DWORD* cbData) override;
    LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                        DWORD cbData) override;
    LONG RegCloseKey(HKEY key) override;

  private:
    void Changed();

    std::string path_;
    std::function<void(std::function<void()>)> scheduleSave_;
    regfile::FileRegistry registry_;
    bool dirty_ = false;
    bool saveScheduled_ = false;
};

// $XDG_CONFIG_HOME/velk/settings.reg, else ~/.config/velk/settings.reg; empty without a
// home.
std::string DefaultSettingsPath();

}  // namespace velk::linux

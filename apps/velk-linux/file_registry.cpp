#include "apps/velk-linux/file_registry.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace velk::linux {

FileRegistry::FileRegistry(std::string path,
                           std::function<void(std::function<void()>)> scheduleSave)
    : path_(std::move(path)), scheduleSave_(std::move(scheduleSave)) {}

FileRegistry::~FileRegistry() {
    Flush();
}

void FileRegistry::Load() {
    std::error_code ec;
    if (std::filesystem::exists(path_, ec))
        LoadFile(path_);
}

void FileRegistry::Flush() {
    saveScheduled_ = false;
    if (!dirty_)
        return;
    try {
        const std::filesystem::path file(path_);
        std::error_code ec;
        if (file.has_parent_path())
            std::filesystem::create_directories(file.parent_path(), ec);
        SaveFile(path_);
        dirty_ = false;
    } catch (const regfile::RegFileError& e) {
        std::cerr << "velk: cannot save the settings: " << e.file << ": " << e.what() << std::endl;
    }
}

void FileRegistry::Changed() {
    dirty_ = true;
    if (!scheduleSave_) {
        Flush();
        return;
    }
    if (saveScheduled_)
        return;
    saveScheduled_ = true;
    scheduleSave_([this] { Flush(); });
}

LONG FileRegistry::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options,
                                   DWORD samDesired, HKEY* result, DWORD* disposition) {
    DWORD how = 0;
    const LONG status =
        regfile::FileRegistry::RegCreateKeyExW(key, subKey, options, samDesired, result, &how);
    if (disposition)
        *disposition = how;
    if (status == ERROR_SUCCESS && how == REG_CREATED_NEW_KEY)
        Changed();
    return status;
}

LONG FileRegistry::RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                  DWORD cbData) {
    const LONG status = regfile::FileRegistry::RegSetValueExW(key, valueName, type, data, cbData);
    if (status == ERROR_SUCCESS)
        Changed();
    return status;
}

std::string DefaultSettingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/velk/settings.reg";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return {};
    return std::string(home) + "/.config/velk/settings.reg";
}

}  // namespace velk::linux

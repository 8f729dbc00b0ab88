// The simulated handheld's registry: a registry kept in a `.reg` file
// (platform/regfile), whose seam calls are traced with their arguments. The direct API
// that the simulator, its peers and tests use is not traced.
#pragma once

#include <string>

#include "platform/regfile/reg_file.h"
#include "platform/regfile/registry.h"
#include "platform/sim/clock.h"
#include "platform/sim/trace.h"

namespace velk::sim {

using regfile::ERROR_KEY_DELETED;
using regfile::FormatRegText;
using regfile::kRegFileHeader;
using regfile::ParseRegText;
using regfile::RegFileError;
using regfile::RegKey;
using regfile::RegTrees;
using regfile::SplitKeyPath;

class SimRegistry : public regfile::FileRegistry {
  public:
    SimRegistry(Trace& trace, const Clock& clock) : trace_(trace), clock_(clock) {}

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
    template <typename Args>
    void Record(const char* operation, Args&& args) {
        trace_.Record(clock_.Now(), operation, std::forward<Args>(args));
    }

    Trace& trace_;
    const Clock& clock_;
};

}  // namespace velk::sim

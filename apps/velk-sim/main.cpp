// velk-sim, interim: loads the simulated handheld's registry file, compiles the stored
// rule lists as the program does at start-up, prints what the engine would work with,
// and saves the registry again (with the key path the reads created).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "config/settings_store.h"
#include "engine/engine_state.h"
#include "engine/rule_lists.h"
#include "platform/process.h"
#include "platform/sim/clock.h"
#include "platform/sim/reg_file.h"
#include "platform/sim/registry.h"
#include "platform/sim/trace.h"
#include "platform/strings.h"

namespace {

using namespace velk;

// Only the module file name matters here; the rest answers as a failing platform would.
class ProgramProcess : public IProcess {
  public:
    DWORD GetModuleFileNameW(HMODULE, char16_t* buf, DWORD size) override {
        const std::u16string path = u"\\Windows\\Velk.exe";
        if (size == 0)
            return 0;
        const DWORD n = static_cast<DWORD>(path.size() < size ? path.size() : size - 1);
        path.copy(buf, n);
        buf[n] = 0;
        return n;
    }
    CString GetProcessFileName(DWORD, DWORD) override { return {}; }
    HANDLE CreateMutexW(BOOL, const char16_t*) override { return HANDLE{}; }
    DWORD GetLastError() override { return 0; }
    INT GetThreadPriority() override { return 0; }
    BOOL SetThreadPriority(INT) override { return 0; }
    void Sleep(DWORD) override {}
    HMODULE LoadLibraryW(const char16_t*) override { return HMODULE{}; }
    FARPROC GetProcAddressW(HMODULE, const char16_t*) override { return FARPROC{}; }
    BOOL FreeLibrary(HMODULE) override { return 0; }
    BOOL CallUnregisterFunc1(FARPROC, UINT, UINT) override { return 0; }
};

int Usage() {
    std::cerr << "usage: velk-sim [--registry FILE] [--fresh]\n"
                 "  --registry FILE  the simulated handheld's registry (.reg text);\n"
                 "                   default $XDG_DATA_HOME/velk/registry.reg\n"
                 "  --fresh          start from an empty registry, overwriting FILE\n";
    return 2;
}

std::string DefaultRegistryPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        return std::string(xdg) + "/velk/registry.reg";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0')
        return {};
    return std::string(home) + "/.local/share/velk/registry.reg";
}

// A string as a quoted UTF-8 literal; control characters escaped so every entry,
// however strange, stays on its line and its ends stay visible.
std::string Quote(const CString& s) {
    std::string out = "\"";
    for (char c : ToUtf8(s)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void PrintArray(const char* name, const CStringArray& entries) {
    std::cout << name << " (" << entries.size() << "):";
    for (const auto& e : entries)
        std::cout << ' ' << Quote(e);
    std::cout << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    std::string registryPath;
    bool fresh = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--registry" && i + 1 < argc) {
            registryPath = argv[++i];
        } else if (arg == "--fresh") {
            fresh = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else {
            std::cerr << "velk-sim: unknown argument \"" << arg << "\"\n";
            return Usage();
        }
    }
    if (registryPath.empty())
        registryPath = DefaultRegistryPath();
    if (registryPath.empty()) {
        std::cerr << "velk-sim: no HOME or XDG_DATA_HOME; give --registry FILE\n";
        return 2;
    }

    const std::filesystem::path file(registryPath);
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) {
            std::cerr << "velk-sim: " << file.parent_path().string() << ": " << ec.message()
                      << '\n';
            return 2;
        }
    }

    sim::Trace trace;
    sim::Clock clock;
    sim::SimRegistry registry(trace, clock);
    try {
        if (!fresh && std::filesystem::exists(file))
            registry.LoadFile(registryPath);
    } catch (const sim::RegFileError& e) {
        std::cerr << "velk-sim: " << e.file;
        if (e.line > 0)
            std::cerr << ':' << e.line;
        std::cerr << ": " << e.what() << '\n';
        return 2;
    }

    ProgramProcess process;
    SettingsStore store(registry, process);
    store.SetRegistryKey(u"Velk");
    EngineState state;
    LoadRuleLists(store, state);

    std::cout << "registry: " << registryPath << '\n';
    const RuleLists& lists = state.Lists;
    PrintArray("BTOnList", lists.BTOnList);
    PrintArray("BTOnRunList", lists.BTOnRunList);
    PrintArray("BTOffList", lists.BTOffList);
    PrintArray("WFOnList", lists.WFOnList);
    PrintArray("WFOnRunList", lists.WFOnRunList);
    PrintArray("WFOffList", lists.WFOffList);
    std::cout << "DefaultAction: " << state.DefaultAction << '\n'
              << "WFDefaultAction: " << state.WFDefaultAction << '\n'
              << "BTControl: " << state.BTControl << '\n'
              << "DefControl: " << state.DefControl << '\n'
              << "OffTakesPrecedence: " << state.OffTakesPrecedence << '\n'
              << "KeepPDAOn: " << state.KeepPDAOn << '\n';

    try {
        registry.SaveFile(registryPath);
    } catch (const sim::RegFileError& e) {
        std::cerr << "velk-sim: " << e.file << ": " << e.what() << '\n';
        return 2;
    }
    return 0;
}

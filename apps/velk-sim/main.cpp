// velk-sim: runs Velk on the simulated handheld, playing a scenario (a file, standard
// input, or the built-in demo) and printing its timeline.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <system_error>

#include "apps/velk-sim/lint.h"
#include "apps/velk-sim/runner.h"
#include "apps/velk-sim/scenario.h"
#include "apps/velk-sim/verbs.h"
#include "platform/sim/handheld.h"
#include "platform/sim/reg_file.h"
#include "platform/strings.h"

namespace {

using namespace velk;

int Usage(std::ostream& out, int code) {
    out << "usage: velk-sim [--registry FILE] [--fresh] [--trace] [--explain] [SCENARIO | -]\n"
           "                [-- ARGS]\n"
           "       velk-sim [--registry FILE] --lint\n"
           "  SCENARIO         a scenario file; - reads standard input; none plays the demo\n"
           "  --registry FILE  the handheld's registry (.reg text), kept between runs;\n"
           "                   default $XDG_DATA_HOME/velk/registry.reg\n"
           "  --fresh          start from an empty registry (FILE is overwritten at the end)\n"
           "  --trace          print every platform call the program makes\n"
           "  --explain        say which list and entry, or default action, decided each\n"
           "                   switch and what came of it\n"
           "  --show-demo      print the built-in demo scenario and exit\n"
           "  --lint           print the stored lists as compiled, warn about entries that\n"
           "                   are unlikely to mean what was meant, and exit\n"
           "  -- ARGS          the program's command line (e.g. -- 3000 polls every 3 s)\n";
    return code;
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

}  // namespace

int main(int argc, char** argv) {
    std::string registryPath;
    std::string scenarioPath;
    bool fresh = false;
    bool lint = false;
    simrun::RunnerOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--registry" && i + 1 < argc) {
            registryPath = argv[++i];
        } else if (arg == "--fresh") {
            fresh = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--explain") {
            options.explain = true;
        } else if (arg == "--lint") {
            lint = true;
        } else if (arg == "--show-demo") {
            std::cout << simrun::kDemoScenario;
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            Usage(std::cout, 0);
            std::cout << "\n";
            simrun::PrintScenarioReference(std::cout);
            return 0;
        } else if (arg == "--") {
            std::string line;
            for (++i; i < argc; ++i)
                line += (line.empty() ? "" : " ") + std::string(argv[i]);
            options.commandLine = FromUtf8(line);
        } else if (scenarioPath.empty() && (arg == "-" || arg.rfind("--", 0) != 0)) {
            scenarioPath = arg;
        } else {
            std::cerr << "velk-sim: unknown argument \"" << arg << "\"\n";
            return Usage(std::cerr, 2);
        }
    }

    if (lint && !scenarioPath.empty()) {
        std::cerr << "velk-sim: --lint plays no scenario\n";
        return Usage(std::cerr, 2);
    }

    // The scenario first: a typo stops the run before anything is touched.
    std::string text;
    std::string source = "demo";
    if (lint) {
        // Nothing to play.
    } else if (scenarioPath.empty()) {
        text = simrun::kDemoScenario;
    } else if (scenarioPath == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
        source = "stdin";
    } else {
        std::ifstream in(scenarioPath, std::ios::binary);
        if (!in) {
            std::cerr << "velk-sim: cannot read " << scenarioPath << "\n";
            return 2;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
        source = scenarioPath;
    }
    std::vector<simrun::Command> commands;
    try {
        commands = simrun::ParseScenario(text, source);
    } catch (const simrun::ScenarioError& e) {
        std::cerr << "velk-sim: " << e.what() << "\n";
        return 2;
    }

    if (registryPath.empty())
        registryPath = DefaultRegistryPath();
    if (registryPath.empty()) {
        std::cerr << "velk-sim: no HOME or XDG_DATA_HOME; give --registry FILE\n";
        return 2;
    }
    const std::filesystem::path file(registryPath);
    std::error_code ec;
    if (!lint && file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) {
            std::cerr << "velk-sim: " << file.parent_path().string() << ": " << ec.message()
                      << "\n";
            return 2;
        }
    }

    sim::SimHandheld handheld;
    try {
        if (!fresh && std::filesystem::exists(file))
            handheld.Registry().LoadFile(registryPath);
    } catch (const sim::RegFileError& e) {
        // Never overwrite a file we could not read: the user's settings live there.
        std::cerr << "velk-sim: " << e.file;
        if (e.line > 0)
            std::cerr << ":" << e.line;
        std::cerr << ": " << e.what() << "\n";
        return 2;
    }

    std::cout << "velk-sim: registry " << registryPath << "\n";
    if (lint) {
        // Reads only: the file is left as it is.
        simrun::Lint(simrun::ReadStoredSettings(handheld, options.modulePath), std::cout);
        return 0;
    }
    int failures = 0;
    int status = 0;
    {
        simrun::Runner runner(handheld, std::cout, options);
        try {
            failures = runner.Play(commands, source);
        } catch (const simrun::ScenarioError& e) {
            std::cerr << "velk-sim: " << e.what() << "\n";
            status = 2;
        } catch (const sim::Halted& e) {
            std::cerr << "velk-sim: the handheld stopped: " << e.what() << "\n";
            status = 2;
        }
    }

    try {
        handheld.Registry().SaveFile(registryPath);
    } catch (const sim::RegFileError& e) {
        std::cerr << "velk-sim: " << e.file << ": " << e.what() << "\n";
        return 2;
    }
    if (status != 0)
        return status;
    if (failures > 0) {
        std::cout << failures << " expectation" << (failures == 1 ? "" : "s") << " failed\n";
        return 1;
    }
    return 0;
}

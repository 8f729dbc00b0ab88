#include "platform/linux/session_paths.h"

#include <unistd.h>

#include <cstdlib>

namespace velk::linux {

std::string SessionDisplay() {
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return value;
    }
    return {};
}

std::string SessionFile(const std::string& display, const std::string& suffix) {
    std::string plain = display;
    for (char& c : plain)
        if (c == '/' || c == ':')
            c = '_';
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/')
        return std::string(runtime) + "/velk-" + plain + suffix;
    return "/tmp/velk-" + std::to_string(::getuid()) + "-" + plain + suffix;
}

}  // namespace velk::linux

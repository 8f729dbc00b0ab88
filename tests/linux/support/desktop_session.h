// Real desktops for the tests: processes started with pipes and stopped by their id, an
// X server (Xvfb) with or without a window manager, and a wait that pumps a provider.
#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/desktop_table.h"
#include "platform/strings.h"
#include "tests/linux/support/child.h"

namespace velk::test {

// An X server of its own, on the first free display, optionally with openbox managing it.
struct XSession {
    explicit XSession(bool withManager)
        : server(std::make_unique<Child>(std::vector<std::string>{"Xvfb", "-displayfd", "1",
                                                                  "-noreset", "-nolisten", "tcp",
                                                                  "-screen", "0", "1024x768x24"})) {
        display = ":" + server->ReadLine();
        if (withManager)
            manager =
                std::make_unique<Child>(std::vector<std::string>{"openbox", "--sm-disable"}, Env());
    }
    std::vector<std::string> Env() const { return {"DISPLAY=" + display}; }
    // The test program's windows, driven through its standard input.
    std::unique_ptr<Child> Windows() const {
        return std::make_unique<Child>(std::vector<std::string>{VELK_X11_WINDOWS}, Env());
    }
    // xdotool with these arguments, waited for.
    int Tool(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{"xdotool"};
        argv.insert(argv.end(), args.begin(), args.end());
        return Child(argv, Env()).Wait();
    }

    std::unique_ptr<Child> server;
    std::string display;
    std::unique_ptr<Child> manager;
};

// Asks the condition each time the descriptor wakes (or a short while passed), until it
// holds or the time is up.
template <typename Condition>
bool WaitUntil(int fd, Condition condition, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 50);
    }
    return true;
}

// The same, pumping the provider before each look.
template <typename Condition>
bool PumpUntil(IDesktopProvider& provider, Condition condition, int timeoutMs = 10000) {
    return WaitUntil(
        provider.EventFd(),
        [&] {
            provider.Pump();
            return condition();
        },
        timeoutMs);
}

}  // namespace velk::test

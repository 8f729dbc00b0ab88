// The simulated Widcomm Bluetooth stack: while it runs, a top-level window captioned
// "Bluetooth Console" that switches the radio on at WM_COMMAND 4098 and off at 4097,
// and keeps the radio's state in HKLM \SOFTWARE\Widcomm\BtConfig\General StackMode
// (1 on, 0 off).
#pragma once

#include <vector>

#include "platform/sim/registry.h"
#include "platform/window_system.h"

namespace velk::sim {

inline constexpr char16_t kWidcommConsoleClass[] = u"WidcommConsole";
inline constexpr char16_t kWidcommConsoleCaption[] = u"Bluetooth Console";
inline constexpr char16_t kWidcommKeyPath[] = u"\\SOFTWARE\\Widcomm\\BtConfig\\General";
inline constexpr char16_t kWidcommStackMode[] = u"StackMode";
constexpr UINT kWidcommOnCommand = 4098;
constexpr UINT kWidcommOffCommand = 4097;

struct ConsoleCommand {
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    friend bool operator==(const ConsoleCommand&, const ConsoleCommand&) = default;
};

class WidcommConsole : public IWindowHandler {
  public:
    // peerProcessWindows is the window system as the stack's own process sees it.
    WidcommConsole(IWindowSystem& peerProcessWindows, SimRegistry& registry);
    ~WidcommConsole() override;
    WidcommConsole(const WidcommConsole&) = delete;
    WidcommConsole& operator=(const WidcommConsole&) = delete;

    // Starts the stack's software: creates the console window. Starting twice keeps the
    // one window. Returns false when the window could not be created.
    bool Start();
    // Ends it: destroys the console window. The radio's registry state stays.
    void Stop();
    bool Running() const { return static_cast<bool>(window_); }
    HWND Window() const { return window_; }

    // A switch by hand, as with the stack's own user interface.
    void SetPower(bool on);
    // StackMode is exactly 1.
    bool IsOn() const;

    // Every WM_COMMAND the console window received, in order.
    const std::vector<ConsoleCommand>& Received() const { return received_; }

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    IWindowSystem& windows_;
    SimRegistry& registry_;
    HWND window_;
    std::vector<ConsoleCommand> received_;
};

}  // namespace velk::sim

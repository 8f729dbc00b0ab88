// The PC's radios as the system's radio manager (Windows.Devices.Radios) sees them: the
// desktop WiFi and Bluetooth services ask it first and use the older APIs where it knows
// no radio of the kind. An interface, so those services can be given another manager.
#pragma once

#include <optional>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/winrt_radios.h"

namespace velk::win32 {

enum class RadioKind { WiFi, Bluetooth };

// The radios of one kind together.
enum class RadioPower {
    Unknown,  // the manager is unavailable or knows no radio of the kind
    On,       // at least one radio is on
    Off,      // none is on, and at least one can be switched
    HeldOff,  // every radio is off by a hardware switch or by the system
};

class IRadioManager {
  public:
    virtual ~IRadioManager() = default;

    virtual RadioPower Power(RadioKind kind) = 0;
    // Switches every radio of the kind that is not held off; 0, or an error code (no radio,
    // all held off, denied, or no answer within the bound).
    virtual ::DWORD SetPower(RadioKind kind, bool on) = 0;
};

// Windows.Devices.Radios through the runtime's binary interface, on a thread of its own.
// The runtime keeps the apartment of the thread that uses it and may never answer; the
// window thread joins no apartment, hands each question to the radio thread and waits
// for the answer at most one bound, without dispatching its messages meanwhile. The
// thread starts at the first question and ends with the object.
class WinRtRadioManager : public IRadioManager {
  public:
    // The time in milliseconds; an injectable clock for tests.
    using Clock = ::ULONGLONG (*)();

    // The longest a platform call waits for the radio thread's answer.
    static constexpr ::DWORD kDefaultBoundMs = 2000;
    // After a switch or a lookup that did not finish in time, the next switches (or
    // lookups) fail at once for this long, so that one tick's calls wait at most one bound
    // between them. The radios' state is still read meanwhile.
    static constexpr ::ULONGLONG kRestMs = 5000;
    // Access to the radios, refused or left unanswered, is asked again no sooner.
    static constexpr ::ULONGLONG kAccessRetryMs = 60000;

    explicit WinRtRadioManager(::DWORD boundMs = kDefaultBoundMs, Clock clock = nullptr);
    ~WinRtRadioManager() override;
    WinRtRadioManager(const WinRtRadioManager&) = delete;
    WinRtRadioManager& operator=(const WinRtRadioManager&) = delete;

    RadioPower Power(RadioKind kind) override;
    ::DWORD SetPower(RadioKind kind, bool on) override;

  private:
    struct Request {
        bool set;
        RadioKind kind;
        bool on;
        ::ULONGLONG deadline;  // a clock value
    };
    struct Answer {
        RadioPower power;
        ::DWORD rc;
    };
    class Runtime;  // the runtime's objects, used on the radio thread alone
    struct Shared;  // what both threads share; lives until both are done with it

    static ::DWORD WINAPI Run(void* shared);
    bool Start();
    // Hands the request to the radio thread and waits for its answer; false when the
    // thread is busy with an earlier request or gave no answer in time.
    bool Call(const Request& request, Answer& answer);

    ::DWORD boundMs_;
    Clock clock_;
    Shared* shared_ = nullptr;
    UniqueHandle thread_;
};

}  // namespace velk::win32

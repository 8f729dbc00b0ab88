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

// Windows.Devices.Radios through the runtime's binary interface. Nothing is loaded until
// the first question; the radios are looked up once, and again after a failure.
class WinRtRadioManager : public IRadioManager {
  public:
    // The longest a platform call waits for the runtime's asynchronous operations.
    static constexpr ::DWORD kDefaultBoundMs = 2000;
    // After an operation that did not finish in time, the manager rests this long, so that
    // one tick's calls wait at most one bound between them.
    static constexpr ::DWORD kRestMs = 5000;

    explicit WinRtRadioManager(::DWORD boundMs = kDefaultBoundMs) : boundMs_(boundMs) {}
    ~WinRtRadioManager() override;
    WinRtRadioManager(const WinRtRadioManager&) = delete;
    WinRtRadioManager& operator=(const WinRtRadioManager&) = delete;

    RadioPower Power(RadioKind kind) override;
    ::DWORD SetPower(RadioKind kind, bool on) override;

  private:
    struct KnownRadio {
        winrt::ComPtr<winrt::IRadio> radio;
        RadioKind kind;
    };

    bool Ready(::ULONGLONG deadline);
    bool Activate();
    bool LookUp(::ULONGLONG deadline);
    void Forget();
    // Waits for an operation until the deadline (a GetTickCount64 value); false when it
    // failed or did not finish, after cancelling it.
    bool Wait(::IInspectable* operation, ::ULONGLONG deadline);
    std::vector<winrt::IRadio*> Radios(RadioKind kind) const;

    ::DWORD boundMs_;
    UniqueLibrary combase_;
    winrt::RoUninitializeFn roUninitialize_ = nullptr;
    bool tried_ = false;        // the runtime was looked for
    bool available_ = false;    // ... and its radio factory found
    bool initialized_ = false;  // this object initialised the thread's runtime
    bool accessAsked_ = false;
    bool resting_ = false;
    ::ULONGLONG restUntil_ = 0;
    winrt::ComPtr<winrt::IRadioStatics> statics_;
    std::vector<KnownRadio> radios_;
    bool lookedUp_ = false;
};

}  // namespace velk::win32

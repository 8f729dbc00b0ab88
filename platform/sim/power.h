// The simulated handheld's power manager, kernel and named events: the WLAN adapter
// with its device power state, the two kernel I/O control codes, the four named events
// and the device's WLAN service, which brings the adapter up when the platform's
// power-up sequence arrives in its exact order. A home traces it by wrapping it
// (trace::TracedPower).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/power.h"
#include "platform/sim/clock.h"

namespace velk::sim {

// Results the simulated power manager gives for a failed request.
constexpr DWORD kPowerNotFound = 2;           // ERROR_FILE_NOT_FOUND: no such device
constexpr DWORD kPowerGenFailure = 31;        // ERROR_GEN_FAILURE: the device did not respond
constexpr DWORD kPowerInvalidParameter = 87;  // ERROR_INVALID_PARAMETER

struct KernelRequest {
    DWORD code = 0;
    std::vector<BYTE> input;  // what the caller passed in, copied
    DWORD outSize = 0;
    bool hasOutput = false;
    bool hasBytesReturned = false;
};

class SimPower : public IPower {
  public:
    explicit SimPower(Clock& clock);

    // --- IPower -----------------------------------------------------------------------
    DWORD SetDevicePower(const char16_t* device, DWORD flags, DWORD state) override;
    DWORD GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) override;
    BOOL KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                         DWORD* bytesReturned) override;
    HANDLE CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) override;
    BOOL EventModify(HANDLE event, DWORD func) override;
    BOOL CloseHandle(HANDLE handle) override;
    void Sleep(DWORD milliseconds) override;
    void SystemIdleTimerReset() override;

    // --- control, for tests and the scenario runner -----------------------------------
    // The WLAN adapter: absent, the power manager knows no device of its name.
    void SetAdapterPresent(bool present) { adapterPresent_ = present; }
    bool AdapterPresent() const { return adapterPresent_; }
    // Sets the D-state by hand (0 = D0 .. 4 = D4); larger values are clamped to D4.
    void SetAdapterState(DWORD state) { adapterState_ = state > D4 ? D4 : state; }
    DWORD AdapterState() const { return adapterState_; }
    bool AdapterOn() const { return adapterPresent_ && adapterState_ == D0; }
    // While set, the power manager cannot bring the adapter to D0.
    void SetPowerUpFails(bool fails) { powerUpFails_ = fails; }
    bool PowerUpFails() const { return powerUpFails_; }
    // How often the WLAN service recognised the complete power-up sequence.
    int ServicePowerUps() const { return servicePowerUps_; }

    // Kernel I/O control requests, in order.
    const std::vector<KernelRequest>& KernelRequests() const { return kernelRequests_; }

    // Named events. An event's state survives its last handle: the device's WLAN
    // software keeps its events open.
    bool EventExists(const std::u16string& name) const;
    bool EventSignalled(const std::u16string& name) const;
    int EventOpenHandles(const std::u16string& name) const;
    // Handles of any event that the program holds open.
    std::size_t OpenEventHandles() const { return handles_.size(); }
    // While set, opening (or creating) the event of this name fails with a null handle.
    void SetEventOpenFails(const std::u16string& name, bool fails);

    int IdleResets() const { return idleResets_; }

  private:
    struct Event {
        bool signalled = false;
        bool manualReset = false;
        int openHandles = 0;
    };

    // One call as the WLAN service sees it, fed to its sequence watcher.
    struct Call {
        enum Kind { Kernel, Open, Modify, Close, Pause, Other } kind = Other;
        DWORD value = 0;      // code, modify function or milliseconds
        std::u16string name;  // the event's name for Open/Modify/Close
        HANDLE handle;
        bool argsAsExpected = true;
    };

    void Watch(const Call& call);
    bool Matches(std::size_t step, const Call& call) const;

    Clock& clock_;

    bool adapterPresent_ = true;
    DWORD adapterState_ = D4;
    bool powerUpFails_ = false;
    int servicePowerUps_ = 0;

    std::vector<KernelRequest> kernelRequests_;
    std::map<std::u16string, Event> events_;
    std::map<std::u16string, bool> openFails_;
    std::map<std::uintptr_t, std::u16string> handles_;  // open handle -> event name
    std::uintptr_t nextHandle_ = 0x7000;
    int unnamed_ = 0;

    // The WLAN service's progress through the power-up sequence, with the handles it
    // saw opened for its events.
    std::size_t step_ = 0;
    std::map<std::u16string, HANDLE, std::less<>> sequenceHandles_;

    int idleResets_ = 0;
};

}  // namespace velk::sim

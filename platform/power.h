// Power manager, kernel and event services of the seam (Windows CE names).
#pragma once

#include <cstddef>
#include <functional>
#include <iterator>

#include "platform/types.h"
#include "platform/window_system.h"

namespace velk {

constexpr DWORD POWER_NAME = 0x00000001;  // the device is given by name
constexpr DWORD D0 = 0;
constexpr DWORD D4 = 4;
constexpr DWORD EVENT_PULSE = 1;
constexpr DWORD EVENT_RESET = 2;
constexpr DWORD EVENT_SET = 3;

// The handheld's WLAN adapter as the power manager names it (its NDIS miniport class and
// instance), and what the device's WLAN software listens on to bring it up.
inline constexpr char16_t kWlanDeviceName[] = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";
constexpr DWORD kIoctlWlanPowerUp = 0x01010127;
constexpr DWORD kIoctlWlanResume = 0x01010128;
inline constexpr char16_t kWlanStatusChangeEvent[] = u"WALNStatusChangeEvent";
inline constexpr char16_t kWlanLockUiEvent[] = u"ShouldLockWlanUI";
inline constexpr char16_t kWlanUnlockUiEvent[] = u"ShouldUnLockWlanUI";
inline constexpr char16_t kWlanInsertCardEvent[] = u"WLANDetectInsertPCMCIA";

// The platform's own way of bringing the WLAN adapter up when the power manager cannot:
// the device's WLAN software waits for exactly these calls in this order and starts over
// at any other.
enum class WlanPowerUpCall {
    KernelIoControlIn,   // the control code, with a DWORD 1 in and nothing out
    OpenEvent,           // the named event, opened (created when absent): auto-reset, not set
    EventModify,         // EVENT_SET or EVENT_RESET on the event opened before
    CloseHandle,         // the handle of the event opened before
    Sleep,               // milliseconds
    KernelIoControlOut,  // the control code, with nothing in and a DWORD out
};

struct WlanPowerUpStep {
    WlanPowerUpCall call;
    DWORD value;            // the control code, the modify function or the milliseconds
    const char16_t* event;  // the named event the step acts on; null for none
};

inline constexpr WlanPowerUpStep kWlanPowerUpSequence[] = {
    {WlanPowerUpCall::KernelIoControlIn, kIoctlWlanPowerUp, nullptr},
    {WlanPowerUpCall::OpenEvent, 0, kWlanStatusChangeEvent},
    {WlanPowerUpCall::EventModify, EVENT_SET, kWlanStatusChangeEvent},
    {WlanPowerUpCall::CloseHandle, 0, kWlanStatusChangeEvent},
    {WlanPowerUpCall::OpenEvent, 0, kWlanLockUiEvent},
    {WlanPowerUpCall::OpenEvent, 0, kWlanUnlockUiEvent},
    {WlanPowerUpCall::EventModify, EVENT_RESET, kWlanLockUiEvent},
    {WlanPowerUpCall::EventModify, EVENT_RESET, kWlanUnlockUiEvent},
    {WlanPowerUpCall::OpenEvent, 0, kWlanInsertCardEvent},
    {WlanPowerUpCall::EventModify, EVENT_SET, kWlanInsertCardEvent},
    {WlanPowerUpCall::CloseHandle, 0, kWlanInsertCardEvent},
    {WlanPowerUpCall::Sleep, 10, nullptr},
    {WlanPowerUpCall::CloseHandle, 0, kWlanLockUiEvent},
    {WlanPowerUpCall::CloseHandle, 0, kWlanUnlockUiEvent},
    {WlanPowerUpCall::KernelIoControlOut, kIoctlWlanResume, nullptr},
};
constexpr std::size_t kWlanPowerUpSteps = std::size(kWlanPowerUpSequence);

class IPower;

// Makes the calls of kWlanPowerUpSequence on power. An event that cannot be opened is left
// out of the steps that act on it. afterStep, when given, runs after each step with its
// index (a test alters the sequence there). Whether it worked is learnt at the next query.
void RunWlanPowerUpSequence(IPower& power,
                            const std::function<void(std::size_t step)>& afterStep = {});

// The power manager; it answers the idle timer too.
class IPower : public IIdleTimer {
  public:
    virtual ~IPower() = default;

    virtual DWORD SetDevicePower(const char16_t* device, DWORD flags, DWORD state) = 0;
    virtual DWORD GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) = 0;
    virtual BOOL KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                                 DWORD* bytesReturned) = 0;
    // No security attributes; returns a null handle on failure.
    virtual HANDLE CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) = 0;
    virtual BOOL EventModify(HANDLE event, DWORD func) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
};

}  // namespace velk

// Power manager, kernel and event services of the seam (Windows CE names).
#pragma once

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

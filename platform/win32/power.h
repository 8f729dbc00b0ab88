// Power manager, kernel and event services of the seam. The device's own services live
// in "coredll.dll" and are looked up at run time; where a desktop lacks them they answer
// as a failed call does.
#pragma once

#include <map>

#include "platform/power.h"

#include "platform/win32/desktop_wifi.h"

#include "platform/win32/library.h"

namespace velk::win32 {

class Win32Power : public IPower {
  public:
    explicit Win32Power(DesktopWifi* desktopWifi = nullptr);

    DWORD SetDevicePower(const char16_t* device, DWORD flags, DWORD state) override;
    DWORD GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) override;
    BOOL KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                         DWORD* bytesReturned) override;
    HANDLE CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) override;
    BOOL EventModify(HANDLE event, DWORD func) override;
    BOOL CloseHandle(HANDLE handle) override;
    void Sleep(DWORD milliseconds) override;
    void SystemIdleTimerReset() override;

  private:
    using SetDevicePowerFn = ::DWORD(WINAPI*)(void*, ::DWORD, ::DWORD);
    using GetDevicePowerFn = ::DWORD(WINAPI*)(void*, ::DWORD, ::DWORD*);
    using KernelIoControlFn = ::BOOL(WINAPI*)(::DWORD, void*, ::DWORD, void*, ::DWORD, ::DWORD*);
    using EventModifyFn = ::BOOL(WINAPI*)(::HANDLE, ::DWORD);
    using SystemIdleTimerResetFn = void(WINAPI*)();

    DesktopWifi* desktopWifi_;
    OptionalLibrary coredll_;
    SetDevicePowerFn setDevicePower_;
    GetDevicePowerFn getDevicePower_;
    KernelIoControlFn kernelIoControl_;
    EventModifyFn eventModify_;
    SystemIdleTimerResetFn systemIdleTimerReset_;
    // Events handed out and not yet closed by the caller: closed with this object, so no
    // path can leak one.
    std::map<::HANDLE, UniqueHandle> events_;
};

}  // namespace velk::win32

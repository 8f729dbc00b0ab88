// The device's services, traced: power (the WLAN adapter, the kernel, named events, the
// idle timer), the Bluetooth utility library and the process services. Each call goes to
// the inner service and is recorded with its arguments; results worth reading follow an
// arrow (" -> ...").
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/bluetooth.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/trace/trace.h"

namespace velk::trace {

// Events are named by the name they were opened with, while their handle is open.
class TracedPower : public IPower {
  public:
    TracedPower(IPower& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

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
    std::string HandleText(HANDLE h) const;

    IPower& inner_;
    Recorder& recorder_;
    std::map<std::uintptr_t, std::u16string> events_;
};

// A failed query shows its code.
class TracedBluetooth : public IBluetooth {
  public:
    TracedBluetooth(IBluetooth& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

    INT BthSetMode(DWORD mode) override;
    INT BthGetMode(DWORD* mode) override;

  private:
    IBluetooth& inner_;
    Recorder& recorder_;
};

class TracedProcess : public IProcess {
  public:
    TracedProcess(IProcess& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}

    DWORD GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) override;
    CString GetProcessFileName(DWORD pid, DWORD maxChars) override;
    HANDLE CreateMutexW(BOOL initialOwner, const char16_t* name) override;
    DWORD GetLastError() override;
    INT GetThreadPriority() override;
    BOOL SetThreadPriority(INT priority) override;
    void Sleep(DWORD milliseconds) override;
    HMODULE LoadLibraryW(const char16_t* name) override;
    FARPROC GetProcAddressW(HMODULE module, const char16_t* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    BOOL CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) override;

  private:
    IProcess& inner_;
    Recorder& recorder_;
};

}  // namespace velk::trace

#include "platform/win32/power.h"

namespace velk::win32 {
namespace {

// What a missing power manager answers: its failure is any non-zero code.
constexpr DWORD kNotImplemented = ERROR_CALL_NOT_IMPLEMENTED;

}  // namespace

Win32Power::Win32Power(DesktopWifi* desktopWifi)
    : desktopWifi_(desktopWifi),
      coredll_(L"coredll.dll"),
      setDevicePower_(coredll_.Find<SetDevicePowerFn>("SetDevicePower")),
      getDevicePower_(coredll_.Find<GetDevicePowerFn>("GetDevicePower")),
      kernelIoControl_(coredll_.Find<KernelIoControlFn>("KernelIoControl")),
      eventModify_(coredll_.Find<EventModifyFn>("EventModify")),
      systemIdleTimerReset_(coredll_.Find<SystemIdleTimerResetFn>("SystemIdleTimerReset")) {}

DWORD Win32Power::SetDevicePower(const char16_t* device, DWORD flags, DWORD state) {
    if (!setDevicePower_) {
        if (desktopWifi_ && DesktopWifi::IsWlanDevice(device))
            return desktopWifi_->SetDevicePower(flags, state);
        return kNotImplemented;
    }
    return setDevicePower_(const_cast<wchar_t*>(Wide(device)), flags, state);
}

DWORD Win32Power::GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) {
    if (!getDevicePower_) {
        if (desktopWifi_ && DesktopWifi::IsWlanDevice(device))
            return desktopWifi_->GetDevicePower(flags, state);
        return kNotImplemented;
    }
    ::DWORD s = state ? *state : 0;
    const ::DWORD rc = getDevicePower_(const_cast<wchar_t*>(Wide(device)), flags, &s);
    if (state)
        *state = s;
    return rc;
}

BOOL Win32Power::KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf, DWORD outSize,
                                 DWORD* bytesReturned) {
    if (!kernelIoControl_)
        return FALSE;
    ::DWORD returned = bytesReturned ? *bytesReturned : 0;
    const ::BOOL ok =
        kernelIoControl_(code, inBuf, inSize, outBuf, outSize, bytesReturned ? &returned : nullptr);
    if (bytesReturned)
        *bytesReturned = returned;
    return ok;
}

HANDLE Win32Power::CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) {
    ::HANDLE h = ::CreateEventW(nullptr, manualReset, initialState, Wide(name));
    if (h)
        events_.emplace(h, UniqueHandle(h));
    return FromNative<HANDLE>(h);
}

BOOL Win32Power::EventModify(HANDLE event, DWORD func) {
    ::HANDLE h = ToNative<::HANDLE>(event);
    if (eventModify_)
        return eventModify_(h, func);
    // The desktop names the same operations SetEvent, ResetEvent and PulseEvent.
    switch (func) {
        case EVENT_SET:
            return ::SetEvent(h);
        case EVENT_RESET:
            return ::ResetEvent(h);
        case EVENT_PULSE:
            return ::PulseEvent(h);
        default:
            return FALSE;
    }
}

BOOL Win32Power::CloseHandle(HANDLE handle) {
    const auto it = events_.find(ToNative<::HANDLE>(handle));
    if (it == events_.end())
        return ::CloseHandle(ToNative<::HANDLE>(handle));
    events_.erase(it);  // closes it
    return TRUE;
}

void Win32Power::Sleep(DWORD milliseconds) {
    ::Sleep(milliseconds);
}

void Win32Power::SystemIdleTimerReset() {
    if (systemIdleTimerReset_) {
        systemIdleTimerReset_();
        return;
    }
    // The desktop restarts its idle timer this way.
    ::SetThreadExecutionState(ES_SYSTEM_REQUIRED);
}

}  // namespace velk::win32

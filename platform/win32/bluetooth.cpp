#include "platform/win32/bluetooth.h"

namespace velk::win32 {
namespace {

// What a missing library answers: the Bluetooth library's failure is any non-zero code.
constexpr INT kNotImplemented = static_cast<INT>(ERROR_CALL_NOT_IMPLEMENTED);

}  // namespace

Win32Bluetooth::Win32Bluetooth(DesktopBluetooth* desktop)
    : desktop_(desktop),
      bthutil_(L"bthutil.dll"),
      setMode_(bthutil_.Find<BthSetModeFn>("BthSetMode")),
      getMode_(bthutil_.Find<BthGetModeFn>("BthGetMode")) {}

INT Win32Bluetooth::BthSetMode(DWORD mode) {
    if (!setMode_)
        return desktop_ ? desktop_->BthSetMode(mode) : kNotImplemented;
    return setMode_(mode);
}

INT Win32Bluetooth::BthGetMode(DWORD* mode) {
    if (!getMode_)
        return desktop_ ? desktop_->BthGetMode(mode) : kNotImplemented;
    ::DWORD m = mode ? *mode : 0;
    const int rc = getMode_(&m);
    if (mode && rc == 0)
        *mode = m;
    return rc;
}

}  // namespace velk::win32

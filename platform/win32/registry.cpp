#include "platform/win32/registry.h"

#include "platform/win32/util.h"

namespace velk::win32 {
namespace {

// The seam writes the predefined roots as their 32-bit values; on a 64-bit desktop they
// are those values sign-extended.
::HKEY Native(velk::HKEY key) {
    const std::uintptr_t v = key.value;
    if (v >= 0x80000000u && v <= 0x800000FFu) {
        return reinterpret_cast<::HKEY>(
            static_cast<std::intptr_t>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v))));
    }
    return reinterpret_cast<::HKEY>(v);
}

// The device accepts key paths that begin with "\"; the desktop does not.
const wchar_t* Relative(const char16_t* subKey) {
    if (!subKey)
        return nullptr;
    while (*subKey == u'\\')
        ++subKey;
    return Wide(subKey);
}

}  // namespace

LONG Win32Registry::RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                  HKEY* result) {
    ::HKEY out = nullptr;
    const LONG rc = ::RegOpenKeyExW(Native(key), Relative(subKey), options, samDesired, &out);
    if (result)
        *result = rc == ERROR_SUCCESS ? FromNative<HKEY>(out) : HKEY{};
    else if (rc == ERROR_SUCCESS)
        ::RegCloseKey(out);
    return rc;
}

LONG Win32Registry::RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options,
                                    DWORD samDesired, HKEY* result, DWORD* disposition) {
    ::HKEY out = nullptr;
    ::DWORD disp = 0;
    const LONG rc = ::RegCreateKeyExW(Native(key), Relative(subKey), 0, nullptr, options,
                                      samDesired, nullptr, &out, &disp);
    if (result)
        *result = rc == ERROR_SUCCESS ? FromNative<HKEY>(out) : HKEY{};
    else if (rc == ERROR_SUCCESS)
        ::RegCloseKey(out);
    if (disposition && rc == ERROR_SUCCESS)
        *disposition = disp;
    return rc;
}

LONG Win32Registry::RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                     DWORD* cbData) {
    ::DWORD nativeType = 0;
    ::DWORD size = cbData ? *cbData : 0;
    const LONG rc = ::RegQueryValueExW(Native(key), Wide(valueName), nullptr, &nativeType, data,
                                       cbData ? &size : nullptr);
    if (type)
        *type = nativeType;
    if (cbData)
        *cbData = size;
    return rc;
}

LONG Win32Registry::RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type,
                                   const BYTE* data, DWORD cbData) {
    return ::RegSetValueExW(Native(key), Wide(valueName), 0, type, data, cbData);
}

LONG Win32Registry::RegCloseKey(HKEY key) {
    return ::RegCloseKey(Native(key));
}

}  // namespace velk::win32

#include "platform/framework/profile.h"

#include <cstddef>
#include <vector>

namespace velk {

namespace {

// Opens the section's key for one read or write, or gives a null key when the path
// cannot be had. Every other handle of the path is closed before it returns.
HKEY OpenSection(IRegistry& registry, const CString& keyWord, const CString& appName,
                 const char16_t* section) {
    HKEY software;
    DWORD disposition = 0;
    if (registry.RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ_WRITE, &software) ==
            ERROR_SUCCESS ||
        registry.RegCreateKeyExW(HKEY_CURRENT_USER, u"software", REG_OPTION_NON_VOLATILE,
                                 KEY_READ_WRITE, &software, &disposition) == ERROR_SUCCESS)
        registry.RegCloseKey(software);
    if (registry.RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ_WRITE, &software) !=
        ERROR_SUCCESS)
        return HKEY{};

    // Each level is created when missing, so even a read leaves the whole path.
    HKEY path[3];
    const char16_t* names[3] = {keyWord.c_str(), appName.c_str(), section};
    HKEY parent = software;
    int opened = 0;
    for (; opened < 3; ++opened) {
        if (registry.RegCreateKeyExW(parent, names[opened], REG_OPTION_NON_VOLATILE, KEY_READ_WRITE,
                                     &path[opened], &disposition) != ERROR_SUCCESS)
            break;
        parent = path[opened];
    }
    // Every handle of the path but the section's goes now; a path that broke off half
    // way closes all it opened.
    registry.RegCloseKey(software);
    for (int i = 0; i < opened && i < 2; ++i)
        registry.RegCloseKey(path[i]);
    return opened == 3 ? path[2] : HKEY{};
}

}  // namespace

CString ApplicationNameFromPath(const CString& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    CString name = slash == CString::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    if (dot != CString::npos)
        name.resize(dot);
    return name;
}

RegistryProfile::RegistryProfile(IRegistry& registry, IProcess& process)
    : registry_(registry), appName_(ApplicationNameFromPath(GetFullModulePath(process))) {}

void RegistryProfile::SetRegistryKey(const CString& keyWord) {
    keyWord_ = keyWord;
}

INT RegistryProfile::GetProfileInt(const char16_t* section, const char16_t* name,
                                   INT defaultValue) {
    ScopedRegKey key(registry_, OpenSection(registry_, keyWord_, appName_, section));
    if (!key)
        return defaultValue;
    // Data shorter than four bytes fills the low bytes of a zeroed buffer.
    BYTE buf[4] = {0, 0, 0, 0};
    DWORD type = 0;
    DWORD size = sizeof buf;
    if (registry_.RegQueryValueExW(key.get(), name, &type, buf, &size) != ERROR_SUCCESS)
        return defaultValue;
    const DWORD value =
        buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<DWORD>(buf[3]) << 24);
    return static_cast<INT>(value);
}

CString RegistryProfile::GetProfileString(const char16_t* section, const char16_t* name,
                                          const char16_t* defaultValue) {
    const CString fallback = defaultValue ? CString(defaultValue) : CString();
    ScopedRegKey key(registry_, OpenSection(registry_, keyWord_, appName_, section));
    if (!key)
        return fallback;
    DWORD type = 0;
    DWORD size = 0;
    if (registry_.RegQueryValueExW(key.get(), name, &type, nullptr, &size) != ERROR_SUCCESS)
        return fallback;
    // One spare byte keeps the buffer pointer valid for a value of no data at all.
    std::vector<BYTE> buf(static_cast<std::size_t>(size) + 1);
    DWORD got = size;
    if (registry_.RegQueryValueExW(key.get(), name, &type, buf.data(), &got) != ERROR_SUCCESS)
        return fallback;
    if (got > size)
        got = size;
    // Only the characters actually stored: data without a final null, or with an odd
    // byte at the end, gives the whole characters it has and nothing beyond.
    return RegSzText(buf.data(), got);
}

BOOL RegistryProfile::WriteProfileInt(const char16_t* section, const char16_t* name, INT value) {
    ScopedRegKey key(registry_, OpenSection(registry_, keyWord_, appName_, section));
    if (!key)
        return 0;
    const auto v = static_cast<DWORD>(value);
    const BYTE data[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8),
                          static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
    return registry_.RegSetValueExW(key.get(), name, REG_DWORD, data, sizeof data) == ERROR_SUCCESS;
}

BOOL RegistryProfile::WriteProfileString(const char16_t* section, const char16_t* name,
                                         const CString& value) {
    ScopedRegKey key(registry_, OpenSection(registry_, keyWord_, appName_, section));
    if (!key)
        return 0;
    const std::vector<BYTE> data = RegSzData(value);
    return registry_.RegSetValueExW(key.get(), name, REG_SZ, data.data(),
                                    static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

}  // namespace velk

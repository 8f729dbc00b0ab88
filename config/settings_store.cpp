#include "config/settings_store.h"

#include <cstddef>
#include <vector>

namespace velk {

namespace {

constexpr DWORD kModuleNameChars = 260;

// The section's key, open for the duration of one read or write. Closing it in the
// destructor keeps every path out of the function that opened it from leaking it.
class SectionKey {
  public:
    SectionKey(IRegistry& registry, const CString& keyWord, const CString& appName,
               const char16_t* section)
        : registry_(registry) {
        HKEY software;
        DWORD disposition = 0;
        if (registry_.RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ_WRITE, &software) ==
                ERROR_SUCCESS ||
            registry_.RegCreateKeyExW(HKEY_CURRENT_USER, u"software", REG_OPTION_NON_VOLATILE,
                                      KEY_READ_WRITE, &software, &disposition) == ERROR_SUCCESS)
            registry_.RegCloseKey(software);
        if (registry_.RegOpenKeyExW(HKEY_CURRENT_USER, u"software", 0, KEY_READ_WRITE, &software) !=
            ERROR_SUCCESS)
            return;

        // Each level is created when missing, so even a read leaves the whole path.
        HKEY path[3];
        const char16_t* names[3] = {keyWord.c_str(), appName.c_str(), section};
        HKEY parent = software;
        int opened = 0;
        for (; opened < 3; ++opened) {
            if (registry_.RegCreateKeyExW(parent, names[opened], REG_OPTION_NON_VOLATILE,
                                          KEY_READ_WRITE, &path[opened],
                                          &disposition) != ERROR_SUCCESS)
                break;
            parent = path[opened];
        }
        // Every handle of the path but the section's goes now; a path that broke off
        // half way closes all it opened.
        registry_.RegCloseKey(software);
        for (int i = 0; i < opened && i < 2; ++i)
            registry_.RegCloseKey(path[i]);
        if (opened == 3)
            key_ = path[2];
    }
    ~SectionKey() {
        if (key_)
            registry_.RegCloseKey(key_);
    }
    SectionKey(const SectionKey&) = delete;
    SectionKey& operator=(const SectionKey&) = delete;

    explicit operator bool() const { return static_cast<bool>(key_); }
    HKEY get() const { return key_; }

  private:
    IRegistry& registry_;
    HKEY key_{};
};

}  // namespace

CString ApplicationNameFromPath(const CString& path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    CString name = slash == CString::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind(u'.');
    if (dot != CString::npos)
        name.resize(dot);
    return name;
}

SettingsStore::SettingsStore(IRegistry& registry, IProcess& process) : registry_(registry) {
    char16_t buf[kModuleNameChars] = {};
    DWORD n = process.GetModuleFileNameW(HMODULE{}, buf, kModuleNameChars);
    if (n >= kModuleNameChars)
        n = kModuleNameChars - 1;  // never trust a count past the buffer
    CString path(buf, n);
    const std::size_t nul = path.find(u'\0');
    if (nul != CString::npos)
        path.resize(nul);
    appName_ = ApplicationNameFromPath(path);
}

void SettingsStore::SetRegistryKey(const CString& keyWord) {
    keyWord_ = keyWord;
}

INT SettingsStore::GetProfileInt(const char16_t* section, const char16_t* name, INT defaultValue) {
    SectionKey key(registry_, keyWord_, appName_, section);
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

CString SettingsStore::GetProfileString(const char16_t* section, const char16_t* name,
                                        const char16_t* defaultValue) {
    const CString fallback = defaultValue ? CString(defaultValue) : CString();
    SectionKey key(registry_, keyWord_, appName_, section);
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
    CString text;
    text.reserve(got / 2);
    for (DWORD i = 0; i + 1 < got; i += 2) {
        const char16_t c = static_cast<char16_t>(buf[i] | (buf[i + 1] << 8));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

BOOL SettingsStore::WriteProfileInt(const char16_t* section, const char16_t* name, INT value) {
    SectionKey key(registry_, keyWord_, appName_, section);
    if (!key)
        return 0;
    const auto v = static_cast<DWORD>(value);
    const BYTE data[4] = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8),
                          static_cast<BYTE>(v >> 16), static_cast<BYTE>(v >> 24)};
    return registry_.RegSetValueExW(key.get(), name, REG_DWORD, data, sizeof data) == ERROR_SUCCESS;
}

BOOL SettingsStore::WriteProfileString(const char16_t* section, const char16_t* name,
                                       const CString& value) {
    SectionKey key(registry_, keyWord_, appName_, section);
    if (!key)
        return 0;
    std::vector<BYTE> data;
    data.reserve((value.size() + 1) * 2);
    for (char16_t c : value) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return registry_.RegSetValueExW(key.get(), name, REG_SZ, data.data(),
                                    static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

}  // namespace velk

// The registry service of the seam, named and shaped after the Win32 calls.
#pragma once

#include <string_view>
#include <vector>

#include "platform/types.h"

namespace velk {

class IRegistry {
  public:
    virtual ~IRegistry() = default;

    virtual LONG RegOpenKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                               HKEY* result) = 0;
    // No class, no security attributes: the program never passes them.
    virtual LONG RegCreateKeyExW(HKEY key, const char16_t* subKey, DWORD options, DWORD samDesired,
                                 HKEY* result, DWORD* disposition) = 0;
    // data may be null to learn the size; *cbData is in bytes.
    virtual LONG RegQueryValueExW(HKEY key, const char16_t* valueName, DWORD* type, BYTE* data,
                                  DWORD* cbData) = 0;
    virtual LONG RegSetValueExW(HKEY key, const char16_t* valueName, DWORD type, const BYTE* data,
                                DWORD cbData) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// A key the program opened, closed when it goes out of scope, so that no way out of a
// function leaks it. Never hold a predefined root key in one.
class ScopedRegKey {
  public:
    explicit ScopedRegKey(IRegistry& registry, HKEY key = HKEY{})
        : registry_(registry), key_(key) {}
    ~ScopedRegKey() { reset(); }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return static_cast<bool>(key_); }
    // For the out-parameter of an open or create call; a key held before is closed.
    HKEY* receive() {
        reset();
        return &key_;
    }
    HKEY release() {
        const HKEY key = key_;
        key_ = HKEY{};
        return key;
    }
    void reset(HKEY key = HKEY{}) {
        if (key_)
            registry_.RegCloseKey(key_);
        key_ = key;
    }

  private:
    IRegistry& registry_;
    HKEY key_;
};

// REG_SZ data: the UTF-16 code units in little-endian order and a terminating null.
std::vector<BYTE> RegSzData(std::u16string_view text);
// The text of REG_SZ data: the whole characters up to the first null or the end of the
// data, whichever comes first; an odd byte at the end is no character.
CString RegSzText(const BYTE* data, DWORD size);

}  // namespace velk

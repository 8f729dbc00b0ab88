// Boundary helpers of the win32 backend: seam handles and strings to and from the
// desktop's, and owners for every kind of handle the backend opens itself.
//
// The seam's headers name their constants after the desktop's macros, so every file of
// this backend includes the seam before <windows.h>, and this header last.
#pragma once

#include <string>
#include <utility>

#include "platform/types.h"

#include <windows.h>

// Names the seam and the application use for their own operations; on the desktop they
// are macros for its old profile functions and for a four-argument dialog call.
#undef CreateDialogIndirectW
#undef GetProfileInt
#undef GetProfileString
#undef WriteProfileString

namespace velk::win32 {

// wchar_t is 16-bit on Windows: the seam's strings are the desktop's wide strings.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* Wide(char16_t* s) {
    return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* Seam(const wchar_t* s) {
    return reinterpret_cast<const char16_t*>(s);
}
inline char16_t* Seam(wchar_t* s) {
    return reinterpret_cast<char16_t*>(s);
}

// Opaque seam handles carry the desktop handle's bits.
template <typename Native, typename Tag>
Native ToNative(Handle<Tag> h) {
    return reinterpret_cast<Native>(h.value);
}
template <typename SeamHandle, typename Native>
SeamHandle FromNative(Native h) {
    return SeamHandle{reinterpret_cast<std::uintptr_t>(h)};
}

inline ::HWND ToNative(velk::HWND h) {
    return ToNative<::HWND>(h);
}
inline velk::HWND FromNative(::HWND h) {
    return FromNative<velk::HWND>(h);
}

// Owns one handle and releases it with Close exactly once.
template <typename T, auto Close, T Empty = T{}>
class Unique {
  public:
    Unique() = default;
    explicit Unique(T h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Empty)) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o)
            reset(std::exchange(o.h_, Empty));
        return *this;
    }
    ~Unique() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Empty; }
    T release() { return std::exchange(h_, Empty); }
    void reset(T h = Empty) {
        if (h_ != Empty)
            Close(h_);
        h_ = h;
    }

  private:
    T h_ = Empty;
};

inline void CloseKernelHandle(::HANDLE h) {
    ::CloseHandle(h);
}
inline void CloseKey(::HKEY k) {
    ::RegCloseKey(k);
}
inline void CloseLibrary(::HMODULE m) {
    ::FreeLibrary(m);
}
inline void CloseIcon(::HICON i) {
    ::DestroyIcon(i);
}
inline void CloseMenu(::HMENU m) {
    ::DestroyMenu(m);
}

using UniqueHandle = Unique<::HANDLE, CloseKernelHandle>;
using UniqueKey = Unique<::HKEY, CloseKey>;
using UniqueLibrary = Unique<::HMODULE, CloseLibrary>;
using UniqueIcon = Unique<::HICON, CloseIcon>;
using UniqueMenu = Unique<::HMENU, CloseMenu>;

}  // namespace velk::win32

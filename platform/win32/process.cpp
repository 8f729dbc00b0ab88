#include "platform/win32/process.h"

#include "platform/win32/library.h"

#include <algorithm>
#include <string>

namespace velk::win32 {

namespace {

// The long form of a path, so that a program started through a short (8.3) name still
// finds a running copy started through the long one, and the other way round.
std::wstring LongPath(std::wstring path) {
    const ::DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return path;
    std::wstring longPath(needed, L'\0');
    const ::DWORD got = ::GetLongPathNameW(path.c_str(), longPath.data(), needed);
    if (got == 0 || got >= needed)
        return path;
    longPath.resize(got);
    return longPath;
}

}  // namespace

DWORD Win32Process::GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) {
    if (size == 0)
        return 0;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const ::DWORD got = ::GetModuleFileNameW(ToNative<::HMODULE>(module), path.data(),
                                                 static_cast<::DWORD>(path.size()));
        if (got == 0)
            return 0;
        if (got < path.size()) {
            path.resize(got);
            break;
        }
        path.resize(path.size() * 2);
    }
    path = LongPath(std::move(path));
    // As the platform call does: at most size - 1 characters and a terminator.
    const DWORD n = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::copy_n(Seam(path.c_str()), n, buf);
    buf[n] = 0;
    return n;
}

CString Win32Process::GetProcessFileName(DWORD pid, DWORD maxChars) {
    UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process || maxChars == 0)
        return {};
    std::wstring path(maxChars, L'\0');
    ::DWORD size = maxChars;
    if (!::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size))
        return {};
    path.resize(size);
    path = LongPath(std::move(path));
    if (path.size() > maxChars)
        path.resize(maxChars);
    return CString(Seam(path.c_str()), path.size());
}

HANDLE Win32Process::CreateMutexW(BOOL initialOwner, const char16_t* name) {
    ::HANDLE h = ::CreateMutexW(nullptr, initialOwner, Wide(name));
    // The caller asks next whether the mutex already existed: keep its answer.
    const ::DWORD error = ::GetLastError();
    if (h)
        mutexes_.emplace_back(h);
    ::SetLastError(error);
    return FromNative<HANDLE>(h);
}

DWORD Win32Process::GetLastError() {
    return ::GetLastError();
}

INT Win32Process::GetThreadPriority() {
    return ::GetThreadPriority(::GetCurrentThread());
}

BOOL Win32Process::SetThreadPriority(INT priority) {
    // The device's level 7 is its idle level; other values are the desktop's own, as
    // GetThreadPriority returned them.
    if (priority == THREAD_PRIORITY_IDLE_CE)
        priority = THREAD_PRIORITY_IDLE;
    return ::SetThreadPriority(::GetCurrentThread(), priority);
}

void Win32Process::Sleep(DWORD milliseconds) {
    ::Sleep(milliseconds);
}

HMODULE Win32Process::LoadLibraryW(const char16_t* name) {
    ::HMODULE m = LoadRuntimeLibrary(Wide(name));
    if (m)
        libraries_.emplace_back(m);
    return FromNative<HMODULE>(m);
}

FARPROC Win32Process::GetProcAddressW(HMODULE module, const char16_t* name) {
    if (!name)
        return {};
    // Exported names are plain ASCII; the desktop looks them up by narrow name.
    std::string narrow;
    for (const char16_t* p = name; *p; ++p) {
        if (*p > 0x7F)
            return {};
        narrow.push_back(static_cast<char>(*p));
    }
    return FARPROC{reinterpret_cast<std::uintptr_t>(
        reinterpret_cast<void*>(::GetProcAddress(ToNative<::HMODULE>(module), narrow.c_str())))};
}

BOOL Win32Process::FreeLibrary(HMODULE module) {
    const ::HMODULE m = ToNative<::HMODULE>(module);
    for (auto it = libraries_.begin(); it != libraries_.end(); ++it) {
        if (it->get() == m) {
            libraries_.erase(it);  // frees this load
            return TRUE;
        }
    }
    return ::FreeLibrary(m);
}

BOOL Win32Process::CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) {
    if (!proc)
        return FALSE;
    using UnregisterFunc1Fn = ::BOOL(WINAPI*)(::UINT, ::UINT);
    auto fn = reinterpret_cast<UnregisterFunc1Fn>(reinterpret_cast<void*>(proc.value));
    return fn(modifiers, vk);
}

}  // namespace velk::win32

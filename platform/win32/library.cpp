#include "platform/win32/library.h"

#include <string>

namespace velk::win32 {

::HMODULE LoadRuntimeLibrary(const wchar_t* name) {
    // The system's own directory only: a library of the same name beside the program or
    // in the current directory is never taken for the system's.
    if (::HMODULE m = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return m;
    // A system too old to know the flag refuses it as a parameter: name the library by
    // its full path in the system directory instead.
    if (::GetLastError() != ERROR_INVALID_PARAMETER || !name)
        return nullptr;
    wchar_t dir[MAX_PATH];
    const ::UINT n = ::GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool RestrictLibrarySearchToSystem() {
    // Looked up rather than imported, so that the program still starts on a system
    // without it.
    using SetDefaultDllDirectoriesFn = ::BOOL(WINAPI*)(::DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    return set && set(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace velk::win32

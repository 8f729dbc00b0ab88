// Appends to a log file that several processes write at once: the test libraries and the
// peers each open it for appending only, so every write lands whole at its end. Plain
// Win32 and no runtime, as the test PC's libraries are built without one.
#pragma once

#include <windows.h>

// Outside namespace velk: the seam names some Win32 types and values the same.
namespace testlog {

// Nothing when the file cannot be opened.
inline void AppendToFile(const wchar_t* path, const char* data, ::DWORD size) {
    const ::HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    ::DWORD written = 0;
    ::WriteFile(file, data, size, &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace testlog

#include "platform/win32/library.h"

namespace velk::win32 {

::HMODULE LoadRuntimeLibrary(const wchar_t* name) {
    // The system's own directory only: a library of the same name beside the program or
    // in the current directory is never taken for the system's.
    return ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool RestrictLibrarySearchToSystem() {
    return ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

}  // namespace velk::win32

#include "platform/win32/library.h"

namespace velk::win32 {

::HMODULE LoadRuntimeLibrary(const wchar_t* name) {
    return ::LoadLibraryW(name);
}

}  // namespace velk::win32

// Libraries of the PC's own radio services, looked up in the system directory only, so a
// copy planted beside the program or in its current directory is never loaded.
#pragma once

#include <cstring>

#include "platform/win32/library.h"
#include "platform/win32/util.h"

namespace velk::win32 {

// Wine ships its own copies of the radio libraries whose functions end the process when
// called; they switch no radio of the host anyway, so they count as absent.
inline bool IsWineBuiltin(::HMODULE module) {
    static constexpr char kMark[] = "Wine builtin DLL";
    const auto* image = reinterpret_cast<const char*>(module);
    return std::memcmp(image + 0x40, kMark, sizeof kMark - 1) == 0;
}

// The system directory's library of that name, or an empty owner.
inline UniqueLibrary LoadSystemLibrary(const wchar_t* name) {
    return UniqueLibrary(LoadRuntimeLibrary(name));
}

// The same for a library that drives a radio, where Wine's own copy counts as absent.
inline UniqueLibrary LoadRadioLibrary(const wchar_t* name) {
    UniqueLibrary module = LoadSystemLibrary(name);
    if (module && IsWineBuiltin(module.get()))
        module.reset();
    return module;
}

template <typename Fn>
Fn FindFunction(const UniqueLibrary& module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module.get(), name)));
}

}  // namespace velk::win32

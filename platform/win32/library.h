// Libraries the backend looks up at run time: the device's own services, which a desktop
// may lack.
#pragma once

#include "platform/win32/util.h"

namespace velk::win32 {

// Loads a run-time library by file name from the system directory only; null when it
// is absent there.
::HMODULE LoadRuntimeLibrary(const wchar_t* name);

// Makes the system directory the only place that any later library load of the process
// searches by default (the program calls it first thing); false when refused.
bool RestrictLibrarySearchToSystem();

// A run-time library held for the owner's life; its functions are found by name or by
// ordinal. Absent libraries and functions give null.
class OptionalLibrary {
  public:
    explicit OptionalLibrary(const wchar_t* name) : module_(LoadRuntimeLibrary(name)) {}

    explicit operator bool() const { return static_cast<bool>(module_); }

    template <typename Fn>
    Fn Find(const char* function) const {
        if (!module_)
            return nullptr;
        return reinterpret_cast<Fn>(
            reinterpret_cast<void*>(::GetProcAddress(module_.get(), function)));
    }

  private:
    UniqueLibrary module_;
};

}  // namespace velk::win32

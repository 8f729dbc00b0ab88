// What another process holds, read from outside it: its kernel handles, its GDI objects
// and its USER objects.
#pragma once

#include <string>

#include "harness.h"

namespace velk::wintest {

struct ObjectCounts {
    ::DWORD handles = 0;
    ::DWORD gdi = 0;
    ::DWORD user = 0;
};

// Where the platform answers 0 for another process (Wine does), the counts come from the
// system's handle list, the process's own GDI handle table, and its windows.
ObjectCounts CountObjects(::DWORD pid);
std::string Describe(const ObjectCounts& counts);

}  // namespace velk::wintest

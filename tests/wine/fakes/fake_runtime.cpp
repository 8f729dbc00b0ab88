// What the test PC's libraries need of a runtime, and no more: they are built without the
// compiler's start-up code, so that loading and unloading them in a process with several
// threads sets up no thread-local storage.
#include <windows.h>

#include <cstddef>
#include <new>

extern "C" BOOL WINAPI FakeDllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}

extern "C" void __cxa_pure_virtual() {
    ::RaiseException(STATUS_NONCONTINUABLE_EXCEPTION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}

void* operator new(std::size_t size) {
    return ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1);
}
void operator delete(void* p) noexcept {
    if (p)
        ::HeapFree(::GetProcessHeap(), 0, p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

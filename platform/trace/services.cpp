#include "platform/trace/services.h"

#include <cstring>
#include <string_view>

#include "platform/trace/format.h"

namespace velk::trace {

namespace {

// A buffer by its one DWORD, else by its size.
std::string Bytes(const void* buf, DWORD size) {
    if (buf == nullptr)
        return "null";
    if (size == 4) {
        DWORD v = 0;
        std::memcpy(&v, buf, 4);
        return std::to_string(v);
    }
    return "[" + std::to_string(size) + " bytes]";
}

}  // namespace

// --- power --------------------------------------------------------------------------------

std::string TracedPower::HandleText(HANDLE h) const {
    const auto it = events_.find(h.value);
    return it == events_.end() ? TraceHex(h.value) : TraceString(it->second);
}

DWORD TracedPower::SetDevicePower(const char16_t* device, DWORD flags, DWORD state) {
    recorder_.Record("SetDevicePower", [&] {
        return TraceString(device) + ", " + std::to_string(flags) + ", " + std::to_string(state);
    });
    return inner_.SetDevicePower(device, flags, state);
}

DWORD TracedPower::GetDevicePower(const char16_t* device, DWORD flags, DWORD* state) {
    recorder_.Record("GetDevicePower",
                     [&] { return TraceString(device) + ", " + std::to_string(flags); });
    return inner_.GetDevicePower(device, flags, state);
}

BOOL TracedPower::KernelIoControl(DWORD code, void* inBuf, DWORD inSize, void* outBuf,
                                  DWORD outSize, DWORD* bytesReturned) {
    recorder_.Record("KernelIoControl", [&] {
        return TraceHex(code, 8) + ", in=" + Bytes(inBuf, inSize) +
               ", inSize=" + std::to_string(inSize) + ", out=" + Bytes(outBuf, outSize) +
               ", outSize=" + std::to_string(outSize) +
               ", returned=" + (bytesReturned ? std::to_string(*bytesReturned) : "null");
    });
    return inner_.KernelIoControl(code, inBuf, inSize, outBuf, outSize, bytesReturned);
}

HANDLE TracedPower::CreateEventW(BOOL manualReset, BOOL initialState, const char16_t* name) {
    recorder_.Record("CreateEventW", [&] {
        return std::to_string(manualReset) + ", " + std::to_string(initialState) + ", " +
               TraceString(name);
    });
    const HANDLE h = inner_.CreateEventW(manualReset, initialState, name);
    if (h && name != nullptr)
        events_[h.value] = name;
    return h;
}

BOOL TracedPower::EventModify(HANDLE event, DWORD func) {
    recorder_.Record("EventModify",
                     [&] { return HandleText(event) + ", " + std::to_string(func); });
    return inner_.EventModify(event, func);
}

BOOL TracedPower::CloseHandle(HANDLE handle) {
    recorder_.Record("CloseHandle", [&] { return HandleText(handle); });
    const BOOL ok = inner_.CloseHandle(handle);
    if (ok)
        events_.erase(handle.value);
    return ok;
}

void TracedPower::Sleep(DWORD milliseconds) {
    recorder_.Record("Sleep", [&] { return std::to_string(milliseconds); });
    inner_.Sleep(milliseconds);
}

void TracedPower::SystemIdleTimerReset() {
    recorder_.Record("SystemIdleTimerReset", "");
    inner_.SystemIdleTimerReset();
}

// --- Bluetooth ----------------------------------------------------------------------------

INT TracedBluetooth::BthSetMode(DWORD mode) {
    recorder_.Record("BthSetMode", [&] { return std::to_string(mode); });
    return inner_.BthSetMode(mode);
}

INT TracedBluetooth::BthGetMode(DWORD* mode) {
    const INT result = inner_.BthGetMode(mode);
    recorder_.Record("BthGetMode",
                     [&] { return result == 0 ? std::string() : "-> " + TraceNum(result); });
    return result;
}

// --- process ------------------------------------------------------------------------------

DWORD TracedProcess::GetModuleFileNameW(HMODULE module, char16_t* buf, DWORD size) {
    const DWORD copied = inner_.GetModuleFileNameW(module, buf, size);
    recorder_.Record("GetModuleFileNameW", [&] {
        return TraceHandle(module.value) + ", " + TraceNum(size) + " -> " +
               TraceString(std::u16string_view(buf ? buf : u"", buf ? copied : 0));
    });
    return copied;
}

CString TracedProcess::GetProcessFileName(DWORD pid, DWORD maxChars) {
    CString path = inner_.GetProcessFileName(pid, maxChars);
    recorder_.Record("GetProcessFileName", [&] {
        return TraceNum(pid) + ", " + TraceNum(maxChars) + " -> " + TraceString(path.c_str());
    });
    return path;
}

HANDLE TracedProcess::CreateMutexW(BOOL initialOwner, const char16_t* name) {
    const HANDLE h = inner_.CreateMutexW(initialOwner, name);
    // Asking the last error leaves it as it is.
    const bool existed = inner_.GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS);
    recorder_.Record("CreateMutexW", [&] {
        return TraceNum(initialOwner) + ", " + TraceString(name) + " -> " + TraceHandle(h.value) +
               (existed ? " (already exists)" : "");
    });
    return h;
}

DWORD TracedProcess::GetLastError() {
    const DWORD error = inner_.GetLastError();
    recorder_.Record("GetLastError", [&] { return "-> " + TraceNum(error); });
    return error;
}

INT TracedProcess::GetThreadPriority() {
    const INT priority = inner_.GetThreadPriority();
    recorder_.Record("GetThreadPriority", [&] { return "-> " + TraceNum(priority); });
    return priority;
}

BOOL TracedProcess::SetThreadPriority(INT priority) {
    recorder_.Record("SetThreadPriority", [&] { return TraceNum(priority); });
    return inner_.SetThreadPriority(priority);
}

void TracedProcess::Sleep(DWORD milliseconds) {
    recorder_.Record("Sleep", [&] { return TraceNum(milliseconds); });
    inner_.Sleep(milliseconds);
}

HMODULE TracedProcess::LoadLibraryW(const char16_t* name) {
    const HMODULE module = inner_.LoadLibraryW(name);
    recorder_.Record("LoadLibraryW",
                     [&] { return TraceString(name) + " -> " + TraceHandle(module.value); });
    return module;
}

FARPROC TracedProcess::GetProcAddressW(HMODULE module, const char16_t* name) {
    const FARPROC proc = inner_.GetProcAddressW(module, name);
    recorder_.Record("GetProcAddressW", [&] {
        return TraceHandle(module.value) + ", " + TraceString(name) + " -> " +
               TraceHandle(proc.value);
    });
    return proc;
}

BOOL TracedProcess::FreeLibrary(HMODULE module) {
    recorder_.Record("FreeLibrary", [&] { return TraceHandle(module.value); });
    return inner_.FreeLibrary(module);
}

BOOL TracedProcess::CallUnregisterFunc1(FARPROC proc, UINT modifiers, UINT vk) {
    recorder_.Record("UnregisterFunc1",
                     [&] { return TraceHandle(modifiers) + ", " + TraceHandle(vk); });
    return inner_.CallUnregisterFunc1(proc, modifiers, vk);
}

}  // namespace velk::trace

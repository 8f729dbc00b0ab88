// A stand-in for the handheld's core library: the power manager with one WLAN adapter,
// the kernel's two WLAN I/O controls, named-event operations, the idle timer and the
// shell's hot-key release. Every call is logged with its arguments (device.h).
#include <windows.h>
#include <winternl.h>

#include "device.h"

namespace {

using namespace velk::device;

constexpr wchar_t kAdapter[] = L"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\tiacxwln1";
constexpr DWORD kPowerName = 1;
constexpr DWORD kFallbackStart = 0x01010127;
constexpr DWORD kFallbackEnd = 0x01010128;

// The fallback sequence seen so far: its first request has come.
bool g_fallbackStarted = false;

std::string Hex(DWORD n) {
    char buf[16];
    wsprintfA(buf, "0x%08X", n);
    return buf;
}

std::string Pointed(const void* p, DWORD size) {
    if (!p)
        return "null";
    if (size < sizeof(DWORD))
        return "short";
    return Number(*static_cast<const DWORD*>(p));
}

// The event's own name, without the namespace the kernel puts before it.
std::string EventName(HANDLE event) {
    alignas(8) unsigned char buffer[1024];
    ULONG needed = 0;
    if (NtQueryObject(event, ObjectNameInformation, buffer, sizeof(buffer), &needed) != 0)
        return "?";
    const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer);
    std::wstring name(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
    name = name.substr(name.find_last_of(L'\\') + 1);
    return Narrow(name.c_str());
}

}  // namespace

extern "C" {

DWORD WINAPI SetDevicePower(wchar_t* device, DWORD flags, DWORD state) {
    DWORD rc = ERROR_SUCCESS;
    DWORD current = 0;
    if (!device || lstrcmpiW(device, kAdapter) != 0 || flags != kPowerName ||
        !ReadState(L"WlanState", &current)) {
        rc = ERROR_FILE_NOT_FOUND;
    } else if (state == 0 && StateOr(L"PowerUpFails", 0)) {
        rc = ERROR_GEN_FAILURE;
    } else {
        WriteState(L"WlanState", state);
    }
    Log("SetDevicePower " + Narrow(device) + " " + Number(flags) + " " + Number(state) + " -> " +
        Number(rc));
    return rc;
}

DWORD WINAPI GetDevicePower(wchar_t* device, DWORD flags, DWORD* state) {
    DWORD rc = ERROR_SUCCESS;
    DWORD current = 0;
    if (!device || lstrcmpiW(device, kAdapter) != 0 || flags != kPowerName ||
        !ReadState(L"WlanState", &current)) {
        rc = ERROR_FILE_NOT_FOUND;
    } else if (state) {
        *state = current;
    }
    Log("GetDevicePower " + Narrow(device) + " " + Number(flags) + " " +
        (state ? std::string("state") : std::string("null")) + " -> " + Number(rc) + " " +
        Number(current));
    return rc;
}

BOOL WINAPI KernelIoControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                            DWORD* returned) {
    Log("KernelIoControl " + Hex(code) + " " + Pointed(in, inSize) + " " + Number(inSize) + " " +
        Pointed(out, outSize) + " " + Number(outSize) + " " + Pointed(returned, sizeof(DWORD)));
    if (code == kFallbackStart) {
        g_fallbackStarted = true;
    } else if (code == kFallbackEnd) {
        if (g_fallbackStarted && StateOr(L"BringUpOnFallback", 0))
            WriteState(L"WlanState", 0);
        g_fallbackStarted = false;
    }
    return TRUE;
}

BOOL WINAPI EventModify(HANDLE event, DWORD func) {
    BOOL ok = FALSE;
    switch (func) {
        case 1:
            ok = PulseEvent(event);
            break;
        case 2:
            ok = ResetEvent(event);
            break;
        case 3:
            ok = SetEvent(event);
            break;
        default:
            break;
    }
    Log("EventModify " + EventName(event) + " " + Number(func) + " -> " + Number(ok));
    return ok;
}

void WINAPI SystemIdleTimerReset() {
    Log("SystemIdleTimerReset");
}

BOOL WINAPI UnregisterFunc1(UINT modifiers, UINT vk) {
    Log("UnregisterFunc1 " + Number(modifiers) + " " + Number(vk));
    return TRUE;
}

}  // extern "C"

// Plays the device's peers for the Windows tests, one role per process:
//   velk_peer console LOGFILE [MS]   the Bluetooth stack's "Bluetooth Console" window: logs
//                                    every WM_COMMAND ("wParam lParam") and keeps StackMode
//                                    in step (4098 on -> 1, 4097 off -> 0)
//   velk_peer window CAPTION [MS]    an application window with that caption, in front
//   velk_peer flip CAPTION1 CAPTION2 PERIOD [MS]
//                                    the same, its caption changing from one to the other
//                                    every PERIOD milliseconds
//   velk_peer events LOGFILE [MS]    the WLAN service: logs each of its four named events
//                                    that becomes signalled ("ready" first)
// Each role ends when killed, on WM_CLOSE, or after MS milliseconds (default 120000).
#include <windows.h>

#include <cwchar>
#include <string>

#include "../append_file.h"

namespace {

constexpr UINT kOnCommand = 4098;
constexpr UINT kOffCommand = 4097;
constexpr UINT_PTR kLifetimeTimer = 1;
constexpr UINT_PTR kFlipTimer = 2;
constexpr DWORD kDefaultLifetime = 120000;
constexpr wchar_t kStackKey[] = L"SOFTWARE\\Widcomm\\BtConfig\\General";

std::wstring g_log;
std::wstring g_captions[2];
int g_shown = 0;

void Log(const std::string& line) {
    const std::string text = line + "\n";
    testlog::AppendToFile(g_log.c_str(), text.data(), static_cast<DWORD>(text.size()));
}

void SetStackMode(DWORD mode) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStackKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(key, L"StackMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mode),
                   sizeof(mode));
    RegCloseKey(key);
}

LRESULT CALLBACK PeerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (!g_log.empty()) {
                Log(std::to_string(wParam) + " " + std::to_string(lParam));
                if (wParam == kOnCommand)
                    SetStackMode(1);
                if (wParam == kOffCommand)
                    SetStackMode(0);
            }
            return 0;
        case WM_TIMER:
            if (wParam == kLifetimeTimer)
                DestroyWindow(hwnd);
            if (wParam == kFlipTimer) {
                g_shown = 1 - g_shown;
                SetWindowTextW(hwnd, g_captions[g_shown].c_str());
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int RunWindow(HINSTANCE instance, const wchar_t* caption, bool visible, DWORD lifetime,
              DWORD flipPeriod = 0) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PeerWindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"VelkPeerWindow";
    if (!RegisterClassW(&wc))
        return 2;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, caption, WS_OVERLAPPEDWINDOW, 40, 40, 320, 200,
                                nullptr, nullptr, instance, nullptr);
    if (!hwnd)
        return 3;
    SetTimer(hwnd, kLifetimeTimer, lifetime, nullptr);
    if (flipPeriod)
        SetTimer(hwnd, kFlipTimer, flipPeriod, nullptr);
    if (visible) {
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

int RunEvents(DWORD lifetime) {
    static const wchar_t* const kNames[] = {L"WALNStatusChangeEvent", L"ShouldLockWlanUI",
                                            L"ShouldUnLockWlanUI", L"WLANDetectInsertPCMCIA"};
    HANDLE events[4] = {};
    for (int i = 0; i < 4; ++i) {
        events[i] = CreateEventW(nullptr, FALSE, FALSE, kNames[i]);
        if (!events[i])
            return 2;
    }
    Log("ready");
    const ULONGLONG deadline = GetTickCount64() + lifetime;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        const DWORD rc =
            WaitForMultipleObjects(4, events, FALSE, static_cast<DWORD>(deadline - now));
        if (rc >= WAIT_OBJECT_0 && rc < WAIT_OBJECT_0 + 4) {
            const wchar_t* name = kNames[rc - WAIT_OBJECT_0];
            Log(std::string(name, name + std::wcslen(name)));
        } else {
            break;
        }
    }
    for (HANDLE e : events)
        CloseHandle(e);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 3)
        return 1;
    const std::wstring role = argv[1];
    if (role == L"flip") {
        if (argc < 5)
            return 1;
        g_captions[0] = argv[2];
        g_captions[1] = argv[3];
        const DWORD period = static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10));
        const DWORD flipLifetime =
            argc > 5 ? static_cast<DWORD>(std::wcstoul(argv[5], nullptr, 10)) : kDefaultLifetime;
        LocalFree(argv);
        return RunWindow(instance, g_captions[0].c_str(), true, flipLifetime, period);
    }
    const std::wstring arg = argv[2];
    const DWORD lifetime =
        argc > 3 ? static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) : kDefaultLifetime;
    LocalFree(argv);
    if (role == L"console") {
        g_log = arg;
        return RunWindow(instance, L"Bluetooth Console", false, lifetime);
    }
    if (role == L"window")
        return RunWindow(instance, arg.c_str(), true, lifetime);
    if (role == L"events") {
        g_log = arg;
        return RunEvents(lifetime);
    }
    return 1;
}

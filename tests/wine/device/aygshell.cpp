// A stand-in for the Pocket PC shell library: dialog initialisation, the activation and
// setting-change handlers and the menu bar, every call logged with its arguments
// (device.h). The menu bar is a window of its own along the bottom of the screen, as the
// shell's is.
#include <windows.h>

#include "device.h"

namespace {

using namespace velk::device;

struct InitDialogInfo {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
struct ActivateInfo {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT flags;
};
struct MenuBarInfo {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
};

constexpr wchar_t kMenuBarClass[] = L"VelkTestMenuBar";
constexpr int kMenuBarHeight = 26;
HINSTANCE g_module = nullptr;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = module;
    return TRUE;
}

extern "C" {

BOOL WINAPI SHInitExtraControls() {
    Log("SHInitExtraControls");
    return TRUE;
}

BOOL WINAPI SHInitDialog(InitDialogInfo* info) {
    if (!info) {
        Log("SHInitDialog null");
        return FALSE;
    }
    Log("SHInitDialog " + Number(info->dwMask) + " " + Handle(info->hDlg) + " " +
        Number(info->dwFlags));
    return TRUE;
}

BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM, ActivateInfo* info, DWORD flags) {
    Log("SHHandleWMActivate " + Handle(hwnd) + " " + Number(LOWORD(wParam)) + " " +
        (info ? Number(info->cbSize) : std::string("null")) + " " + Number(flags));
    return TRUE;
}

BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM, ActivateInfo* info) {
    Log("SHHandleWMSettingChange " + Handle(hwnd) + " " + Number(wParam) + " " +
        (info ? Number(info->cbSize) : std::string("null")));
    return TRUE;
}

BOOL WINAPI SHCreateMenuBar(MenuBarInfo* info) {
    if (!info || info->cbSize != sizeof(MenuBarInfo)) {
        Log("SHCreateMenuBar bad");
        return FALSE;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = g_module;
    wc.lpszClassName = kMenuBarClass;
    RegisterClassW(&wc);  // a second call finds it registered
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    info->hwndMB =
        CreateWindowExW(WS_EX_NOACTIVATE, kMenuBarClass, L"", WS_POPUP, 0, height - kMenuBarHeight,
                        width, kMenuBarHeight, info->hwndParent, nullptr, g_module, nullptr);
    // Shown without taking the front from anyone, as the shell's bar is.
    if (info->hwndMB)
        ShowWindow(info->hwndMB, SW_SHOWNOACTIVATE);
    Log("SHCreateMenuBar " + Handle(info->hwndParent) + " " + Number(info->dwFlags) + " " +
        Number(info->nToolBarId) + " -> " + Handle(info->hwndMB));
    return info->hwndMB != nullptr;
}

}  // extern "C"

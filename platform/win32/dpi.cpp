#include "platform/win32/dpi.h"

#include <cstdlib>

#include "platform/win32/dialog_builder.h"

namespace velk::win32 {
namespace {

// The user interface's functions for scales per window (Windows 10 and later), looked up
// at run time so that the program still starts on older systems.
struct DpiFunctions {
    using GetDpiForWindowFn = ::UINT(WINAPI*)(::HWND);
    using AdjustWindowRectExForDpiFn = ::BOOL(WINAPI*)(::RECT*, ::DWORD, ::BOOL, ::DWORD, ::UINT);
    using SetDialogDpiChangeBehaviorFn = ::BOOL(WINAPI*)(::HWND, int, int);

    DpiFunctions() {
        const ::HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        getDpiForWindow = Find<GetDpiForWindowFn>(user32, "GetDpiForWindow");
        adjustWindowRectExForDpi =
            Find<AdjustWindowRectExForDpiFn>(user32, "AdjustWindowRectExForDpi");
        setDialogDpiChangeBehavior =
            Find<SetDialogDpiChangeBehaviorFn>(user32, "SetDialogDpiChangeBehavior");
    }
    template <typename Fn>
    static Fn Find(::HMODULE module, const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }

    GetDpiForWindowFn getDpiForWindow;
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi;
    SetDialogDpiChangeBehaviorFn setDialogDpiChangeBehavior;
};

const DpiFunctions& Dpi() {
    static const DpiFunctions functions;
    return functions;
}

constexpr int kDisableAllDialogScaling = 1;  // DDC_DISABLE_ALL
constexpr ::UINT kStandardDpi = 96;
constexpr int kStandardIconSize = 32;  // SM_CXICON at the standard scale

// The dialog manager's base units of a font: the average width of the letters and the
// height of a line, in pixels, as MapDialogRect uses them.
::SIZE BaseUnits(::HFONT font) {
    const ::HDC dc = ::GetDC(nullptr);
    const ::HGDIOBJ old = ::SelectObject(dc, font);
    ::TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    ::SIZE letters{};
    ::GetTextExtentPoint32W(dc, kLetters, 52, &letters);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return ::SIZE{(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

}  // namespace

::UINT WindowDpi(::HWND hwnd) {
    if (Dpi().getDpiForWindow) {
        if (const ::UINT dpi = Dpi().getDpiForWindow(hwnd))
            return dpi;
    }
    const ::HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<::UINT>(dpi) : kStandardDpi;
}

DialogLayout::DialogLayout(const DialogTemplate& tmpl, ::HINSTANCE instance)
    : instance_(instance),
      centred_((tmpl.style & DS_CENTER) != 0),
      cx_(tmpl.cx),
      cy_(tmpl.cy),
      fontName_(tmpl.fontName ? Wide(tmpl.fontName) : L""),
      pointSize_(tmpl.pointSize) {
    for (const DialogItemTemplate& item : tmpl.items) {
        if (SkippedOnDesktop(item))
            continue;
        const bool icon = ::lstrcmpiW(Wide(item.windowClass), Wide(kClassStatic)) == 0 &&
                          (item.style & SS_TYPEMASK) == SS_ICON;
        items_.push_back({item.x, item.y, DesktopWidth(tmpl, item), item.cy,
                          icon ? item.iconResource : WORD{0}});
    }
}

void DialogLayout::Attach(::HWND dialog) {
    // Without a font of the template's the system's layout stands.
    if (fontName_.empty())
        return;
    if (Dpi().setDialogDpiChangeBehavior)
        Dpi().setDialogDpiChangeBehavior(dialog, kDisableAllDialogScaling,
                                         kDisableAllDialogScaling);
    for (::HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        controls_.push_back(c);
    Layout(dialog, WindowDpi(dialog), nullptr, true);
}

void DialogLayout::Apply(::HWND dialog, ::UINT dpi, const ::RECT* suggested) {
    Layout(dialog, dpi, suggested, false);
}

void DialogLayout::Layout(::HWND dialog, ::UINT dpi, const ::RECT* suggested, bool onlyIfNeeded) {
    // The controls are the template's, one for one, or the layout is not ours to redo.
    if (fontName_.empty() || dpi == 0 || controls_.size() != items_.size())
        return;
    ::LOGFONTW lf{};
    lf.lfHeight = -::MulDiv(pointSize_, static_cast<int>(dpi), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    fontName_.copy(lf.lfFaceName, LF_FACESIZE - 1);
    UniqueFont font(::CreateFontIndirectW(&lf));
    if (!font)
        return;
    const ::SIZE base = BaseUnits(font.get());
    const auto x = [&](int units) { return ::MulDiv(units, base.cx, 4); };
    const auto y = [&](int units) { return ::MulDiv(units, base.cy, 8); };

    ::RECT client{};
    ::GetClientRect(dialog, &client);
    if (onlyIfNeeded && std::abs(client.right - x(cx_)) <= 1 &&
        std::abs(client.bottom - y(cy_)) <= 1)
        return;

    constexpr ::UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        const ::HWND control = controls_[i];
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<::WPARAM>(font.get()), FALSE);
        if (item.icon) {
            // Shared icons belong to the system's cache: nothing to free.
            const int size = ::MulDiv(kStandardIconSize, static_cast<int>(dpi), kStandardDpi);
            const auto icon = static_cast<::HICON>(::LoadImageW(
                instance_, MAKEINTRESOURCEW(item.icon), IMAGE_ICON, size, size, LR_SHARED));
            if (icon)
                ::SendMessageW(control, STM_SETICON, reinterpret_cast<::WPARAM>(icon), 0);
            ::SetWindowPos(control, nullptr, x(item.x), y(item.y), 0, 0, kPlace | SWP_NOSIZE);
        } else {
            // A combo box's height is that of its open list; its closed part follows the font.
            ::SetWindowPos(control, nullptr, x(item.x), y(item.y), x(item.cx), y(item.cy), kPlace);
        }
    }

    ::RECT frame{0, 0, x(cx_), y(cy_)};
    const auto style = static_cast<::DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    const auto exStyle = static_cast<::DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE));
    if (!Dpi().adjustWindowRectExForDpi ||
        !Dpi().adjustWindowRectExForDpi(&frame, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::RECT now{};
    ::GetWindowRect(dialog, &now);
    ::POINT at{now.left, now.top};
    if (suggested) {
        at = {suggested->left, suggested->top};
    } else if (centred_) {
        at = {(now.left + now.right - width) / 2, (now.top + now.bottom - height) / 2};
    }
    ::SetWindowPos(dialog, nullptr, at.x, at.y, width, height, kPlace);
    ::InvalidateRect(dialog, nullptr, TRUE);
    font_ = std::move(font);  // the controls no longer use the one before
}

}  // namespace velk::win32

// Dialogs 100, 130 and 138 as Windows really makes them from the program's templates,
// read back from the windows themselves and compared, control by control, with the one
// table the simulated handheld's tests use too.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/win32/window_system.h"

#include "platform/win32/dialog_builder.h"
#include "res/resource_ids.h"
#include "tests/unit/support/expected_dialogs.h"
#include "tests/wine/default_handler.h"

#include "harness.h"

namespace velk::wintest {
namespace {

std::wstring Wide(const char16_t* s) {
    return std::wstring(s, s + std::char_traits<char16_t>::length(s));
}

std::wstring Text(::HWND hwnd) {
    wchar_t buf[256] = {};
    ::GetWindowTextW(hwnd, buf, 256);
    return buf;
}

std::wstring ClassName(::HWND hwnd) {
    wchar_t buf[64] = {};
    ::GetClassNameW(hwnd, buf, 64);
    return buf;
}

// The controls the desktop has no class for are left out of the real dialog.
bool DesktopHasIt(const expected::Control& c) {
    return std::u16string_view(c.windowClass) != u"SIPPREF";
}

// A rectangle in dialog units, as pixels of this dialog: the dialog manager converts the
// position and the size each on its own, so the far edge is the sum of the two.
::RECT Pixels(::HWND dialog, short x, short y, short cx, short cy) {
    ::RECT at{x, y, 0, 0};
    ::MapDialogRect(dialog, &at);
    ::RECT size{0, 0, cx, cy};
    ::MapDialogRect(dialog, &size);
    return ::RECT{at.left, at.top, at.left + size.right, at.top + size.bottom};
}

// A child's rectangle in the dialog's client coordinates.
::RECT Placed(::HWND dialog, ::HWND child) {
    ::RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<::POINT*>(&r), 2);
    return r;
}

class DialogTemplates : public ::testing::TestWithParam<expected::Dialog> {
  protected:
    win32::Win32WindowSystem windows_{FindMenuTemplate};
};

TEST_P(DialogTemplates, TheRealDialogIsTheTableControlByControl) {
    const expected::Dialog& want = GetParam();
    const DialogTemplate* tmpl = FindDialogTemplate(want.id);
    ASSERT_NE(tmpl, nullptr);
    DefaultHandler handler(windows_);
    const HWND dlg = windows_.CreateDialogIndirectW(*tmpl, HWND{}, &handler);
    ASSERT_TRUE(dlg);
    const auto dialog = reinterpret_cast<::HWND>(dlg.value);

    // The dialog: caption, style bits, client size in dialog units, font.
    EXPECT_EQ(Text(dialog), Wide(want.caption));
    const auto style = static_cast<::DWORD>(::GetWindowLongW(dialog, GWL_STYLE));
    // The modal frame and the font are the template's instructions, not window styles the
    // dialog manager must keep; every other bit must be there.
    const ::DWORD windowBits = want.style & ~(DS_MODALFRAME | DS_SETFONT);
    EXPECT_EQ(style & windowBits, windowBits) << std::hex << style;
    ::RECT client{};
    ::GetClientRect(dialog, &client);
    const ::RECT size = Pixels(dialog, 0, 0, want.cx, want.cy);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    const auto font = reinterpret_cast<::HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    ::LOGFONTW lf{};
    ASSERT_NE(::GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(std::wstring(lf.lfFaceName), Wide(want.fontName));
    const ::HDC screen = ::GetDC(nullptr);
    const int wantHeight = -::MulDiv(want.pointSize, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(lf.lfHeight, wantHeight);

    // The controls, in the template's order (which is the order of the child windows).
    std::vector<expected::Control> controls;
    for (const expected::Control& c : want.controls)
        if (DesktopHasIt(c))
            controls.push_back(c);
    std::vector<::HWND> children;
    for (::HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        children.push_back(c);
    ASSERT_EQ(children.size(), controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const expected::Control& c = controls[i];
        const ::HWND child = children[i];
        SCOPED_TRACE(testing::Message() << "control " << i << " (id " << c.id << ")");
        EXPECT_EQ(static_cast<WORD>(::GetDlgCtrlID(child)), static_cast<WORD>(c.id));
        EXPECT_EQ(_wcsicmp(ClassName(child).c_str(), Wide(c.windowClass).c_str()), 0)
            << "class " << testing::PrintToString(ClassName(child));
        const bool icon = c.iconResource != 0;
        if (!icon) {
            EXPECT_EQ(Text(child), Wide(c.text));
        } else {
            EXPECT_NE(::SendMessageW(child, STM_GETICON, 0, 0), 0);
        }

        auto childStyle = static_cast<::DWORD>(::GetWindowLongW(child, GWL_STYLE));
        // The dialog manager draws an edit box's border as a sunken client edge.
        const auto childExStyle = static_cast<::DWORD>(::GetWindowLongW(child, GWL_EXSTYLE));
        if (std::u16string_view(c.windowClass) == u"EDIT" && (childExStyle & WS_EX_CLIENTEDGE))
            childStyle |= WS_BORDER;
        // A combo box takes the scroll bar off its own window for its drop-down list,
        // where the platform keeps it out of sight until the list opens.
        ::DWORD wantStyle = c.style;
        if (std::u16string_view(c.windowClass) == u"COMBOBOX")
            wantStyle &= ~WS_VSCROLL;
        EXPECT_EQ(childStyle & wantStyle, wantStyle) << std::hex << childStyle;
        EXPECT_EQ(childStyle & WS_VISIBLE, c.style & WS_VISIBLE);
        if (std::u16string_view(c.windowClass) == u"BUTTON") {
            EXPECT_EQ(childStyle & BS_TYPEMASK, c.style & BS_TYPEMASK);
        }

        const ::RECT want = Pixels(dialog, c.x, c.y, c.cx, c.cy);
        const ::RECT got = Placed(dialog, child);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        // An icon static takes the icon's size; a combo box's window is its closed part,
        // the template's height being that of the open list, and a drop-down may take
        // free room to its right.
        const bool combo = std::u16string_view(c.windowClass) == u"COMBOBOX";
        if (!icon && !combo) {
            EXPECT_EQ(got.right, want.right);
            EXPECT_EQ(got.bottom, want.bottom);
        }
        if (combo) {
            EXPECT_GE(got.right, want.right);
            EXPECT_LE(got.right,
                      Pixels(dialog, c.x, c.y, c.cx + win32::kDropDownGrowth, c.cy).right);
        }
    }
    windows_.DestroyWindow(dlg);
}

// Whether a drop-down's closed part shows the text whole.
bool ShowsWhole(::HWND combo, const wchar_t* text) {
    ::COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(combo, &info);
    const ::HDC dc = ::GetDC(combo);
    const ::HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<::HFONT>(::SendMessageW(combo, WM_GETFONT, 0, 0)));
    ::SIZE size{};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(combo, dc);
    return size.cx <= info.rcItem.right - info.rcItem.left;
}

TEST(DialogScaling, AChangeOfScaleLaysTheDialogOutAgainFromItsTemplate) {
    win32::Win32WindowSystem windows{FindMenuTemplate};
    DefaultHandler handler(windows);
    const HWND dlg =
        windows.CreateDialogIndirectW(*FindDialogTemplate(IDD_SETTINGS), HWND{}, &handler);
    ASSERT_TRUE(dlg);
    const auto dialog = reinterpret_cast<::HWND>(dlg.value);
    std::vector<::HWND> children;
    std::vector<::RECT> before;
    for (::HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        children.push_back(c);
        before.push_back(Placed(dialog, c));
    }
    const ::HWND control = ::GetDlgItem(dialog, IDC_DEF_CONTROL);
    ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<::LPARAM>(L"Bluetooth"));
    ::SendMessageW(control, CB_SETCURSEL, 0, 0);
    ::SendMessageW(::GetDlgItem(dialog, IDC_DEFAULT_ACTION), CB_ADDSTRING, 0,
                   reinterpret_cast<::LPARAM>(L"Turn Off"));

    for (const ::UINT dpi : {192u, 96u}) {
        SCOPED_TRACE(dpi);
        ::RECT suggested{40, 30, 500, 700};
        ::SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<::LPARAM>(&suggested));
        ::RECT window{};
        ::GetWindowRect(dialog, &window);
        EXPECT_EQ(window.left, 40);
        EXPECT_EQ(window.top, 30);
        // Every box scales with the font (whose metrics round on their own), or is back.
        const double scale = dpi / 96.0;
        const int slack = dpi == 96 ? 1 : 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            const ::RECT got = Placed(dialog, children[i]);
            const LONG was[] = {before[i].left, before[i].top, before[i].right, before[i].bottom};
            const LONG now[] = {got.left, got.top, got.right, got.bottom};
            for (int k = 0; k < 4; ++k) {
                EXPECT_GE(now[k], was[k] * scale * (dpi == 96 ? 1 : 0.9) - 1 - slack) << i;
                EXPECT_LE(now[k], was[k] * scale * (dpi == 96 ? 1 : 1.15) + 1 + slack) << i;
            }
        }
        ::LOGFONTW lf{};
        ::GetObjectW(reinterpret_cast<::HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)),
                     sizeof lf, &lf);
        EXPECT_EQ(lf.lfHeight, -::MulDiv(7, static_cast<int>(dpi), 72));
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
        EXPECT_TRUE(ShowsWhole(control, L"Bluetooth"));
        EXPECT_TRUE(ShowsWhole(::GetDlgItem(dialog, IDC_DEFAULT_ACTION), L"Turn Off"));
    }
    windows.DestroyWindow(dlg);
}

INSTANTIATE_TEST_SUITE_P(Program, DialogTemplates, ::testing::ValuesIn(expected::kDialogs),
                         [](const auto& info) { return std::to_string(info.param.id); });

}  // namespace
}  // namespace velk::wintest

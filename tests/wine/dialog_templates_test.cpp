// Dialogs 100, 130 and 138 as Windows really makes them from the program's templates,
// read back from the windows themselves and compared, control by control, with the one
// table the simulated handheld's tests use too.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/resources.h"
#include "platform/win32/window_system.h"
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
        // the template's height being that of the open list.
        if (!icon) {
            EXPECT_EQ(got.right, want.right);
        }
        if (!icon && std::u16string_view(c.windowClass) != u"COMBOBOX") {
            EXPECT_EQ(got.bottom, want.bottom);
        }
    }
    windows_.DestroyWindow(dlg);
}

INSTANTIATE_TEST_SUITE_P(Program, DialogTemplates, ::testing::ValuesIn(expected::kDialogs),
                         [](const auto& info) { return std::to_string(info.param.id); });

}  // namespace
}  // namespace velk::wintest

#include "platform/win32/dialog_builder.h"

#include <algorithm>

namespace velk::win32 {
namespace {

constexpr ::DWORD kDeviceOnlyExStyles = velk::WS_EX_CAPTIONOKBTN;
// In a template, this word in place of a text says that a resource ordinal follows.
constexpr WORD kOrdinalFollows = 0xFFFF;

bool SameClass(const char16_t* a, const char16_t* b) {
    if (!a || !b)
        return false;
    return ::lstrcmpiW(Wide(a), Wide(b)) == 0;
}

bool AppendItems(::HMENU menu, std::span<const MenuItemTemplate> items) {
    for (const MenuItemTemplate& item : items) {
        if (!item.text) {
            if (!::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr))
                return false;
        } else if (!item.popup.empty()) {
            UniqueMenu popup(::CreatePopupMenu());
            if (!popup || !AppendItems(popup.get(), item.popup))
                return false;
            if (!::AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup.get()),
                               Wide(item.text))) {
                return false;
            }
            popup.release();  // now destroyed with its parent
        } else {
            if (!::AppendMenuW(menu, MF_STRING, item.id, Wide(item.text)))
                return false;
        }
    }
    return true;
}

}  // namespace

bool SkippedOnDesktop(const DialogItemTemplate& item) {
    return SameClass(item.windowClass, kClassSipPref);
}

short DesktopWidth(const DialogTemplate& tmpl, const DialogItemTemplate& item) {
    // A closed drop-down's height, and the gap it keeps to a neighbour, in dialog units.
    constexpr int kClosedHeight = 12, kGap = 2;
    const int right = item.x + item.cx;
    if (!SameClass(item.windowClass, kClassComboBox) || (item.style & 3) == CBS_SIMPLE)
        return item.cx;
    int limit = std::min(tmpl.cx - kGap, right + kDropDownGrowth);
    for (const DialogItemTemplate& other : tmpl.items) {
        if (&other == &item || SkippedOnDesktop(other) || !(other.style & WS_VISIBLE) ||
            other.y >= item.y + kClosedHeight || other.y + other.cy <= item.y)
            continue;
        if (other.x >= right)
            limit = std::min(limit, other.x - kGap);  // beside it
        else if (other.x + other.cx >= right)
            limit = std::min(limit, other.x + other.cx - kGap);  // around it (a group box)
    }
    return static_cast<short>(std::max(limit, right) - item.x);
}

void DialogTemplateBuffer::Dword(DWORD d) {
    Word(static_cast<WORD>(d & 0xFFFF));
    Word(static_cast<WORD>(d >> 16));
}

void DialogTemplateBuffer::Text(const char16_t* s) {
    if (s) {
        for (; *s; ++s)
            Word(static_cast<WORD>(*s));
    }
    Word(0);
}

void DialogTemplateBuffer::AlignDword() {
    if (words_.size() % 2)
        Word(0);
}

DialogTemplateBuffer::DialogTemplateBuffer(const DialogTemplate& tmpl) {
    for (const DialogItemTemplate& item : tmpl.items) {
        if (!SkippedOnDesktop(item))
            ++items_;
    }
    ::DWORD style = tmpl.style;
    if (tmpl.fontName)
        style |= DS_SETFONT;
    Dword(style);
    Dword(tmpl.exStyle & ~kDeviceOnlyExStyles);
    Word(static_cast<WORD>(items_));
    Word(0);  // x
    Word(0);  // y
    Word(static_cast<WORD>(tmpl.cx));
    Word(static_cast<WORD>(tmpl.cy));
    Word(0);  // no menu
    Word(0);  // the dialog class
    Text(tmpl.caption);
    if (style & DS_SETFONT) {
        Word(tmpl.pointSize);
        Text(tmpl.fontName ? tmpl.fontName : u"");
    }
    for (const DialogItemTemplate& item : tmpl.items) {
        if (SkippedOnDesktop(item))
            continue;
        AlignDword();
        // Controls of a dialog are its children whatever the template says. The device's
        // templates let controls overlap (a label's box reaches under the drop-down beside
        // it, a group box lies under its contents); the desktop paints every control's whole
        // box, so each is kept off the siblings above it.
        Dword(item.style | WS_CHILD | WS_CLIPSIBLINGS);
        Dword(item.exStyle & ~kDeviceOnlyExStyles);
        Word(static_cast<WORD>(item.x));
        Word(static_cast<WORD>(item.y));
        Word(static_cast<WORD>(DesktopWidth(tmpl, item)));
        Word(static_cast<WORD>(item.cy));
        Word(static_cast<WORD>(item.id));  // kNoId becomes 0xFFFF, as resource compilers do
        Text(item.windowClass);
        const bool icon =
            SameClass(item.windowClass, kClassStatic) && (item.style & SS_TYPEMASK) == SS_ICON;
        if (icon && item.iconResource) {
            Word(kOrdinalFollows);  // the text is the icon's resource ordinal
            Word(item.iconResource);
        } else {
            Text(item.text);
        }
        Word(0);  // no creation data
    }
}

::HMENU BuildMenu(const MenuTemplate& tmpl) {
    UniqueMenu bar(::CreateMenu());
    if (!bar || !AppendItems(bar.get(), tmpl.items))
        return nullptr;
    return bar.release();
}

}  // namespace velk::win32

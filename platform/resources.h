// Shapes of the program's resources. res/ holds the one definition of each dialog
// template, menu and string; both backends build their real things from these.
#pragma once

#include <span>

#include "platform/types.h"

namespace velk {

// Control and dialog styles used by the templates.
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_CHECKBOX = 0x0002;
constexpr DWORD BS_AUTOCHECKBOX = 0x0003;
constexpr DWORD BS_RADIOBUTTON = 0x0004;
constexpr DWORD BS_3STATE = 0x0005;
constexpr DWORD BS_AUTO3STATE = 0x0006;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD BS_AUTORADIOBUTTON = 0x0009;
constexpr DWORD BS_TYPEMASK = 0x000F;  // the button kind within the style
constexpr DWORD BS_MULTILINE = 0x2000;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_TYPEMASK = 0x001F;  // the static kind within the style
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD WS_EX_CAPTIONOKBTN = 0x80000000;

// The framework's standard command ids, which the program's menu uses too.
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;

// Predefined control classes, as the template names them.
inline constexpr char16_t kClassButton[] = u"BUTTON";
inline constexpr char16_t kClassEdit[] = u"EDIT";
inline constexpr char16_t kClassStatic[] = u"STATIC";
inline constexpr char16_t kClassComboBox[] = u"COMBOBOX";
inline constexpr char16_t kClassSipPref[] = u"SIPPREF";

constexpr INT kNoId = -1;  // a control without identifier (the template's -1)

struct DialogItemTemplate {
    const char16_t* windowClass;
    const char16_t* text;  // null for none
    INT id;
    short x, y, cx, cy;  // dialog units
    DWORD style;
    DWORD exStyle = 0;
    WORD iconResource = 0;  // SS_ICON statics: the icon's resource id
};

struct DialogTemplate {
    WORD id;
    const char16_t* caption;
    DWORD style;
    DWORD exStyle;
    short cx, cy;  // dialog units
    const char16_t* fontName;
    WORD pointSize;
    std::span<const DialogItemTemplate> items;
};

struct MenuItemTemplate {
    const char16_t* text;  // null: separator
    UINT id;               // 0 for pop-ups and separators
    std::span<const MenuItemTemplate> popup;
};

struct MenuTemplate {
    WORD id;
    std::span<const MenuItemTemplate> items;
};

struct StringResource {
    UINT id;
    const char16_t* text;
};

// Lookups over the program's resources (defined in res/); null when absent.
const DialogTemplate* FindDialogTemplate(WORD id);
const MenuTemplate* FindMenuTemplate(WORD id);
const char16_t* FindStringResource(UINT id);

}  // namespace velk

// Menu 128: the frame's menu, whose "&File" pop-up is the notification icon's menu.

#include "platform/resources.h"
#include "res/resource_ids.h"

namespace velk {

namespace {

constexpr MenuItemTemplate kFileItems[] = {
    {u"Settings...", ID_SETTINGS, {}},
    {u"&About Velk...", ID_APP_ABOUT, {}},
    {nullptr, 0, {}},
    {u"E&xit", ID_APP_EXIT, {}},
};

constexpr MenuItemTemplate kMainItems[] = {
    {u"&File", 0, kFileItems},
    {u"&Help", ID_HELP_MENU, {}},
};

constexpr MenuTemplate kMenus[] = {
    {IDR_MAINFRAME, kMainItems},
};

}  // namespace

const MenuTemplate* FindMenuTemplate(WORD id) {
    for (const MenuTemplate& m : kMenus)
        if (m.id == id)
            return &m;
    return nullptr;
}

}  // namespace velk

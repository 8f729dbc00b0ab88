// The model's message boxes, menus and their tracking, icons and the notification area.
#include "platform/model/window_model.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::model {

int WindowModel::MessageBox(DWORD pid, HWND owner, const char16_t* text, const char16_t* caption,
                            UINT type) {
    auto box = std::make_shared<MessageBoxRecord>();
    box->owner = owner;
    box->text = text ? text : u"";
    box->caption = caption ? caption : u"Error";
    box->type = type;
    box->pid = pid;
    HWND previous = foreground_;

    auto w = std::make_unique<Window>();
    HWND hwnd = NewHandle();
    w->hwnd = hwnd;
    w->pid = pid;
    w->className = u"#32770";
    w->caption = box->caption;
    w->style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    HWND validOwner = Find(owner) ? owner : HWND{};
    w->owner = validOwner;
    RECT area = WorkArea();
    LONG cx = 200;
    LONG cy = 100;
    LONG x = area.left + (area.right - area.left - cx) / 2;
    LONG y = area.top + (area.bottom - area.top - cy) / 2;
    w->rect = {x, y, x + cx, y + cy};
    w->isMessageBox = true;
    w->messageBoxType = type;
    Insert(std::move(w));
    box->hwnd = hwnd;
    messageBoxes_.push_back(box);
    Notify([&](IModelObserver& o) { o.MessageBoxShown(*box); });
    ChangeForeground(hwnd);

    ModalLoop(pid, [&] {
        return box->dismissed || !Find(box->hwnd) || (validOwner && !Find(validOwner));
    });

    std::erase(messageBoxes_, box);
    Notify([&](IModelObserver& o) { o.MessageBoxClosed(*box); });
    if (Find(hwnd)) {
        // The foreground goes back to the window that had it.
        if (foreground_ == hwnd)
            ChangeForeground(Find(previous) ? previous : NextVisibleTopLevel(hwnd));
        DestroyTree(hwnd);
    }
    return box->dismissed ? IDOK : 0;
}

MessageBoxRecord* WindowModel::InnermostMessageBox() const {
    for (auto it = messageBoxes_.rbegin(); it != messageBoxes_.rend(); ++it)
        if (!(*it)->dismissed)
            return it->get();
    return nullptr;
}

// --- menus and icons ---------------------------------------------------------------

HMENU WindowModel::BuildMenu(std::span<const MenuItemTemplate> items, HMENU parent) {
    HMENU h{nextMenu_};
    nextMenu_ += 4;
    Menu menu;
    menu.parent = parent;
    for (const MenuItemTemplate& t : items) {
        MenuItem item;
        if (!t.text) {
            item.separator = true;
        } else {
            item.text = t.text;
            item.id = t.id;
            if (!t.popup.empty())
                item.popup = BuildMenu(t.popup, h);
        }
        menu.items.push_back(std::move(item));
    }
    menuTable_[h.value] = std::move(menu);
    return h;
}

HMENU WindowModel::LoadMenu(WORD resourceId) {
    const MenuTemplate* tmpl = menuSource_ ? menuSource_(resourceId) : nullptr;
    if (!tmpl)
        return HMENU{};
    return BuildMenu(tmpl->items, HMENU{});
}

const Menu* WindowModel::FindMenu(HMENU menu) const {
    auto it = menuTable_.find(menu.value);
    return it == menuTable_.end() ? nullptr : &it->second;
}

HMENU WindowModel::GetSubMenu(HMENU menu, INT pos) const {
    const Menu* m = FindMenu(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size())
        return HMENU{};
    return m->items[pos].popup;
}

bool WindowModel::DestroyMenu(HMENU menu) {
    auto it = menuTable_.find(menu.value);
    if (it == menuTable_.end())
        return false;
    std::vector<HMENU> popups;
    for (const MenuItem& item : it->second.items)
        if (item.popup)
            popups.push_back(item.popup);
    menuTable_.erase(it);
    for (HMENU p : popups)
        DestroyMenu(p);
    return true;
}

bool WindowModel::TrackPopupMenu(DWORD pid, HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    const Menu* m = FindMenu(menu);
    if (!m || !Find(owner))
        return false;
    auto open = std::make_shared<TrackedMenu>();
    open->menu = menu;
    open->flags = flags;
    open->x = x;
    open->y = y;
    open->owner = owner;
    open->pid = pid;
    for (const MenuItem& item : m->items)
        if (!item.separator)
            open->items.push_back(item.text);
    menus_.push_back(open);
    Notify([&](IModelObserver& o) { o.MenuOpened(*open); });

    ModalLoop(pid, [&] { return open->closed || !Find(owner); });

    std::erase(menus_, open);
    Notify([&](IModelObserver& o) { o.MenuClosed(*open); });
    if (open->chosen && Find(owner))
        Post(pid, owner, WM_COMMAND, *open->chosen, 0);
    return true;
}

TrackedMenu* WindowModel::InnermostMenu() const {
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (!(*it)->closed)
            return it->get();
    return nullptr;
}

HICON WindowModel::LoadIcon(WORD resourceId) {
    for (const auto& [handle, id] : iconTable_)
        if (id == resourceId)
            return HICON{handle};
    HICON h{nextIcon_};
    nextIcon_ += 4;
    iconTable_[h.value] = resourceId;
    return h;
}

WORD WindowModel::IconResource(HICON icon) const {
    auto it = iconTable_.find(icon.value);
    return it == iconTable_.end() ? 0 : it->second;
}

// --- the notification area ---------------------------------------------------------

bool WindowModel::NotifyIcon(DWORD pid, DWORD message, const NOTIFYICONDATA& data) {
    auto it = std::find_if(icons_.begin(), icons_.end(), [&](const IconRecord& r) {
        return r.data.hWnd == data.hWnd && r.data.uID == data.uID;
    });
    switch (message) {
        case NIM_ADD:
            if (it != icons_.end())
                return false;
            icons_.push_back({pid, data});
            Notify([&](IModelObserver& o) { o.IconAdded(data.hWnd, data.uID); });
            return true;
        case NIM_MODIFY:
            if (it == icons_.end())
                return false;
            if (data.uFlags & NIF_MESSAGE)
                it->data.uCallbackMessage = data.uCallbackMessage;
            if (data.uFlags & NIF_ICON)
                it->data.hIcon = data.hIcon;
            if (data.uFlags & NIF_TIP)
                std::copy(std::begin(data.szTip), std::end(data.szTip), std::begin(it->data.szTip));
            Notify([&](IModelObserver& o) { o.IconChanged(data.hWnd, data.uID); });
            return true;
        case NIM_DELETE:
            if (it == icons_.end())
                return false;
            icons_.erase(it);
            Notify([&](IModelObserver& o) { o.IconRemoved(data.hWnd, data.uID); });
            return true;
        default:
            return false;
    }
}

}  // namespace velk::model

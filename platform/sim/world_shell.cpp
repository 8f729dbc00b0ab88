// The simulated handheld's shell: message boxes, menus and their tracking, icons, the
// notification area, the screen and the menu bar.
#include "platform/sim/world.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::sim {

namespace {

// The text of a menu item as the user reads it: "&" marks the mnemonic, "&&" is an "&".
std::u16string WithoutMnemonic(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        else if (text[i] == u'&')
            continue;
        out += text[i];
    }
    return out;
}

}  // namespace

int World::MessageBox(DWORD pid, HWND owner, const char16_t* text, const char16_t* caption,
                      UINT type) {
    auto box = std::make_shared<MessageBoxRecord>();
    box->owner = owner;
    box->text = text ? text : u"";
    box->caption = caption ? caption : u"Error";
    box->type = type;
    box->pid = pid;
    HWND previous = foreground_;

    auto w = std::make_unique<SimWindow>();
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
    windows_[hwnd.value] = std::move(w);
    zOrder_.insert(zOrder_.begin(), hwnd);
    box->hwnd = hwnd;
    messageBoxes_.push_back(box);
    ChangeForeground(hwnd);

    ModalLoop(pid, [&] {
        return box->dismissed || !Find(box->hwnd) || (validOwner && !Find(validOwner));
    });

    std::erase(messageBoxes_, box);
    if (Find(hwnd)) {
        // The foreground goes back to the window that had it.
        if (foreground_ == hwnd)
            ChangeForeground(Find(previous) ? previous : NextVisibleTopLevel(hwnd));
        DestroyTree(hwnd);
    }
    return box->dismissed ? IDOK : 0;
}

void World::DismissMessageBox() {
    for (auto it = messageBoxes_.rbegin(); it != messageBoxes_.rend(); ++it)
        if (!(*it)->dismissed) {
            (*it)->dismissed = true;
            return;
        }
    throw SimError("no message box is shown");
}

// --- menus and icons ---------------------------------------------------------------

HMENU World::BuildMenu(std::span<const MenuItemTemplate> items, HMENU parent) {
    HMENU h{nextMenu_};
    nextMenu_ += 4;
    SimMenu menu;
    menu.parent = parent;
    for (const MenuItemTemplate& t : items) {
        SimMenuItem item;
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

HMENU World::LoadMenu(WORD resourceId) {
    const MenuTemplate* tmpl = menuSource_ ? menuSource_(resourceId) : nullptr;
    if (!tmpl)
        return HMENU{};
    return BuildMenu(tmpl->items, HMENU{});
}

const SimMenu* World::FindMenu(HMENU menu) const {
    auto it = menuTable_.find(menu.value);
    return it == menuTable_.end() ? nullptr : &it->second;
}

HMENU World::GetSubMenu(HMENU menu, INT pos) const {
    const SimMenu* m = FindMenu(menu);
    if (!m || pos < 0 || static_cast<std::size_t>(pos) >= m->items.size())
        return HMENU{};
    return m->items[pos].popup;
}

bool World::DestroyMenu(HMENU menu) {
    auto it = menuTable_.find(menu.value);
    if (it == menuTable_.end())
        return false;
    std::vector<HMENU> popups;
    for (const SimMenuItem& item : it->second.items)
        if (item.popup)
            popups.push_back(item.popup);
    menuTable_.erase(it);
    for (HMENU p : popups)
        DestroyMenu(p);
    return true;
}

bool World::TrackPopupMenu(DWORD pid, HMENU menu, UINT flags, INT x, INT y, HWND owner) {
    const SimMenu* m = FindMenu(menu);
    if (!m || !Find(owner))
        return false;
    auto open = std::make_shared<TrackedMenu>();
    open->menu = menu;
    open->flags = flags;
    open->x = x;
    open->y = y;
    open->owner = owner;
    open->pid = pid;
    for (const SimMenuItem& item : m->items)
        if (!item.separator)
            open->items.push_back(item.text);
    menus_.push_back(open);

    ModalLoop(pid, [&] { return open->closed || !Find(owner); });

    std::erase(menus_, open);
    if (open->chosen && Find(owner))
        Post(pid, owner, WM_COMMAND, *open->chosen, 0);
    return true;
}

void World::ChooseMenuItem(const std::u16string& text) {
    std::shared_ptr<TrackedMenu> open;
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (!(*it)->closed) {
            open = *it;
            break;
        }
    if (!open)
        throw SimError("no menu is open to choose \"" + ToUtf8(text) + "\" from");

    // Searches the shown menu and its pop-ups, in order.
    std::function<const SimMenuItem*(HMENU)> search = [&](HMENU h) -> const SimMenuItem* {
        const SimMenu* m = FindMenu(h);
        if (!m)
            return nullptr;
        for (const SimMenuItem& item : m->items) {
            if (item.separator)
                continue;
            if (FoldedEquals(item.text, text) ||
                FoldedEquals(WithoutMnemonic(item.text), WithoutMnemonic(text)))
                return &item;
            if (item.popup)
                if (const SimMenuItem* inner = search(item.popup))
                    return inner;
        }
        return nullptr;
    };
    const SimMenuItem* item = search(open->menu);
    if (!item) {
        std::string shown;
        for (const std::u16string& t : open->items)
            shown += (shown.empty() ? "\"" : ", \"") + ToUtf8(t) + "\"";
        throw SimError("the open menu has no item \"" + ToUtf8(text) + "\"; it shows " + shown);
    }
    if (item->popup)
        throw SimError("menu item \"" + ToUtf8(text) +
                       "\" opens a sub-menu; choose one of its items");
    open->chosen = item->id;
    open->closed = true;
}

void World::CancelMenu() {
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (!(*it)->closed) {
            (*it)->closed = true;
            return;
        }
    throw SimError("no menu is open to cancel");
}

HICON World::LoadIcon(WORD resourceId) {
    for (const auto& [handle, id] : iconTable_)
        if (id == resourceId)
            return HICON{handle};
    HICON h{nextIcon_};
    nextIcon_ += 4;
    iconTable_[h.value] = resourceId;
    return h;
}

WORD World::IconResource(HICON icon) const {
    auto it = iconTable_.find(icon.value);
    return it == iconTable_.end() ? 0 : it->second;
}

// --- the shell ---------------------------------------------------------------------

bool World::NotifyIcon(DWORD pid, DWORD message, const NOTIFYICONDATA& data) {
    auto it = std::find_if(icons_.begin(), icons_.end(), [&](const IconRecord& r) {
        return r.data.hWnd == data.hWnd && r.data.uID == data.uID;
    });
    switch (message) {
        case NIM_ADD:
            if (it != icons_.end())
                return false;
            icons_.push_back({pid, data});
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
            return true;
        case NIM_DELETE:
            if (it == icons_.end())
                return false;
            icons_.erase(it);
            return true;
        default:
            return false;
    }
}

HWND World::CreateMenuBar(DWORD pid, HWND parent) {
    if (!options_.shellLibraryPresent)
        return HWND{};
    HWND bar = CreateWindow(pid, 0, u"menu_worker", u"", WS_POPUP, 0, MenuBarTop(),
                            options_.screenWidth, kMenuBarHeight, parent, 0, nullptr);
    if (!bar)
        return bar;
    // Visible along the bottom edge, but never the active window.
    SimWindow& w = Get(bar);
    w.noActivate = true;
    w.style |= WS_VISIBLE;
    return bar;
}

}  // namespace velk::sim

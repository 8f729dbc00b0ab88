// Dialogs of the simulated handheld and the procedures of their controls: dialogs built
// from the res/ templates, buttons (check boxes, radio groups) and combo boxes.
#include "platform/sim/world.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::sim {

namespace {

constexpr DWORD SS_TYPEMASK = 0x001F;

bool IsClass(const SimWindow& w, std::u16string_view name) {
    return FoldedEquals(w.className, name);
}

bool IsRadio(const SimWindow& w) {
    DWORD type = w.style & BS_TYPEMASK;
    return IsClass(w, kClassButton) && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

}  // namespace

// --- dialogs -----------------------------------------------------------------------

HWND World::CreateDialog(DWORD pid, const DialogTemplate& tmpl, HWND parent,
                         IWindowHandler* handler) {
    if (parent && !Find(parent))
        return HWND{};
    LONG cx = DialogUnitsX(tmpl.cx);
    LONG cy = DialogUnitsY(tmpl.cy);
    RECT area = WorkArea();
    LONG x = area.left;
    LONG y = area.top;
    if (tmpl.style & DS_CENTER) {
        x = area.left + (area.right - area.left - cx) / 2;
        y = area.top + (area.bottom - area.top - cy) / 2;
    }

    auto d = std::make_unique<SimWindow>();
    HWND hwnd = NewHandle();
    d->hwnd = hwnd;
    d->pid = pid;
    d->className = u"#32770";
    d->caption = tmpl.caption ? tmpl.caption : u"";
    // Shown after WM_INITDIALOG, as the dialog manager does.
    d->style = tmpl.style & ~WS_VISIBLE;
    d->exStyle = tmpl.exStyle;
    d->owner = parent;
    d->rect = {x, y, x + cx, y + cy};
    d->isDialog = true;
    d->doneButton = (tmpl.exStyle & WS_EX_CAPTIONOKBTN) != 0;
    d->handler = handler;
    windows_[hwnd.value] = std::move(d);
    zOrder_.insert(zOrder_.begin(), hwnd);

    for (const DialogItemTemplate& item : tmpl.items) {
        std::u16string cls = item.windowClass ? item.windowClass : u"";
        // The input-panel preference control comes with the Pocket PC shell only.
        if (FoldedEquals(cls, kClassSipPref) && !options_.shellLibraryPresent)
            continue;
        auto c = std::make_unique<SimWindow>();
        HWND ch = NewHandle();
        c->hwnd = ch;
        c->pid = pid;
        c->className = cls;
        c->caption = item.text ? item.text : u"";
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        c->parent = hwnd;
        c->id = item.id;
        LONG left = x + DialogUnitsX(item.x);
        LONG top = y + DialogUnitsY(item.y);
        c->rect = {left, top, left + DialogUnitsX(item.cx), top + DialogUnitsY(item.cy)};
        if (FoldedEquals(cls, kClassStatic) && (item.style & SS_TYPEMASK) == SS_ICON)
            c->iconResource = item.iconResource;
        windows_[ch.value] = std::move(c);
        Get(hwnd).children.push_back(ch);
    }

    Send(hwnd, WM_INITDIALOG, 0, 0);
    if (Find(hwnd) && (tmpl.style & WS_VISIBLE))
        ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : HWND{};
}

HWND World::GetDlgItem(HWND dialog, INT id) const {
    const SimWindow* d = Find(dialog);
    if (!d)
        return HWND{};
    for (HWND c : d->children) {
        const SimWindow* w = Find(c);
        if (w && w->id == id)
            return c;
    }
    return HWND{};
}

std::vector<HWND> World::RadioGroup(HWND button) const {
    const SimWindow* b = Find(button);
    if (!b || !b->IsChild())
        return {};
    const SimWindow* d = Find(b->parent);
    const std::vector<HWND>& all = d->children;
    auto at = std::find(all.begin(), all.end(), button);
    std::size_t index = static_cast<std::size_t>(at - all.begin());
    std::size_t start = index;
    while (start > 0 && !(Find(all[start])->style & WS_GROUP))
        --start;
    std::size_t end = index + 1;
    while (end < all.size() && !(Find(all[end])->style & WS_GROUP))
        ++end;
    std::vector<HWND> group;
    for (std::size_t i = start; i < end; ++i)
        if (IsRadio(*Find(all[i])))
            group.push_back(all[i]);
    return group;
}

void World::ClickButton(HWND button) {
    SimWindow& b = Get(button);
    if (IsClass(b, kClassButton)) {
        DWORD type = b.style & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX)
            b.check = b.check ? 0 : 1;
        else if (type == BS_AUTO3STATE)
            b.check = (b.check + 1) % 3;
        else if (type == BS_AUTORADIOBUTTON) {
            for (HWND r : RadioGroup(button))
                Get(r).check = 0;
            b.check = 1;
        }
    }
    HWND parent = b.parent;
    Send(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(b.id), BN_CLICKED),
         static_cast<LPARAM>(button.value));
}

LRESULT World::ControlProc(SimWindow& w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsClass(w, kClassButton)) {
        if (message == WM_LBUTTONUP) {
            // The user's tap, posted by the control API: it acts as a click.
            ClickButton(w.hwnd);
            return 0;
        }
        if (message == BM_GETCHECK)
            return w.check;
        if (message == BM_SETCHECK) {
            // As the platform's button: a two-state box (or radio button) shows any value
            // above 1 as checked, a three-state box any value above 2 as indeterminate.
            // The value is unsigned, so -1 is above them too.
            const DWORD type = w.style & BS_TYPEMASK;
            const WPARAM highest = (type == BS_3STATE || type == BS_AUTO3STATE) ? 2 : 1;
            w.check = static_cast<int>(std::min(wParam, highest));
            return 0;
        }
        return 0;
    }
    if (!IsClass(w, kClassComboBox))
        return 0;
    auto count = static_cast<LRESULT>(w.items.size());
    auto index = static_cast<LRESULT>(static_cast<INT>(wParam));
    switch (message) {
        case CB_ADDSTRING:
            w.items.emplace_back(lParam ? reinterpret_cast<const char16_t*>(lParam) : u"");
            return count;
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return w.selection < 0 ? CB_ERR : w.selection;
        case CB_SETCURSEL:
            if (index < 0 || index >= count) {
                w.selection = -1;
                return CB_ERR;
            }
            w.selection = static_cast<int>(index);
            return index;
        case CB_GETLBTEXTLEN:
            if (index < 0 || index >= count)
                return CB_ERR;
            return static_cast<LRESULT>(w.items[index].size());
        case CB_GETLBTEXT: {
            if (index < 0 || index >= count || !lParam)
                return CB_ERR;
            const std::u16string& item = w.items[index];
            auto* out = reinterpret_cast<char16_t*>(lParam);
            std::copy(item.begin(), item.end(), out);
            out[item.size()] = u'\0';
            return static_cast<LRESULT>(item.size());
        }
        case CB_RESETCONTENT:
            w.items.clear();
            w.selection = -1;
            return 0;
        default:
            return 0;
    }
}

}  // namespace velk::sim

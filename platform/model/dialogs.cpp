// The model's dialogs and the procedures of their controls: dialogs built from the res/
// templates, buttons (check boxes, radio groups) and combo boxes.
#include "platform/model/window_model.h"

#include <algorithm>

#include "platform/strings.h"

namespace velk::model {

namespace {

bool IsClass(const Window& w, std::u16string_view name) {
    return FoldedEquals(w.className, name);
}

bool IsRadio(const Window& w) {
    DWORD type = w.style & BS_TYPEMASK;
    return IsClass(w, kClassButton) && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

}  // namespace

// --- dialogs -----------------------------------------------------------------------

HWND WindowModel::CreateDialog(DWORD pid, const DialogTemplate& tmpl, HWND parent,
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

    auto d = std::make_unique<Window>();
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
    d->dialogTemplate = &tmpl;
    Insert(std::move(d));

    for (const DialogItemTemplate& item : tmpl.items) {
        std::u16string cls = item.windowClass ? item.windowClass : u"";
        if (absentControlClasses_.count(Folded(cls)))
            continue;
        auto c = std::make_unique<Window>();
        HWND ch = NewHandle();
        c->hwnd = ch;
        c->pid = pid;
        c->className = cls;
        c->caption = item.text ? item.text : u"";
        c->style = item.style | WS_CHILD;
        c->exStyle = item.exStyle;
        c->parent = hwnd;
        c->id = item.id;
        c->itemTemplate = &item;
        LONG left = x + DialogUnitsX(item.x);
        LONG top = y + DialogUnitsY(item.y);
        c->rect = {left, top, left + DialogUnitsX(item.cx), top + DialogUnitsY(item.cy)};
        if (FoldedEquals(cls, kClassStatic) && (item.style & SS_TYPEMASK) == SS_ICON)
            c->iconResource = item.iconResource;
        Get(hwnd).children.push_back(ch);
        Insert(std::move(c));
    }

    Send(hwnd, WM_INITDIALOG, 0, 0);
    if (Find(hwnd) && (tmpl.style & WS_VISIBLE))
        ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : HWND{};
}

HWND WindowModel::GetDlgItem(HWND dialog, INT id) const {
    const Window* d = Find(dialog);
    if (!d)
        return HWND{};
    for (HWND c : d->children) {
        const Window* w = Find(c);
        if (w && w->id == id)
            return c;
    }
    return HWND{};
}

std::vector<HWND> WindowModel::RadioGroup(HWND button) const {
    const Window* b = Find(button);
    if (!b || !b->IsChild())
        return {};
    const Window* d = Find(b->parent);
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

void WindowModel::ClickButton(HWND button) {
    Window& b = Get(button);
    if (IsClass(b, kClassButton)) {
        DWORD type = b.style & BS_TYPEMASK;
        if (type == BS_AUTOCHECKBOX)
            SetCheck(b, b.check ? 0 : 1);
        else if (type == BS_AUTO3STATE)
            SetCheck(b, (b.check + 1) % 3);
        else if (type == BS_AUTORADIOBUTTON) {
            for (HWND r : RadioGroup(button))
                if (r != button)
                    SetCheck(Get(r), 0);
            SetCheck(b, 1);
        }
    }
    HWND parent = b.parent;
    Send(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(b.id), BN_CLICKED),
         static_cast<LPARAM>(button.value));
}

void WindowModel::SetCheck(Window& w, int check) {
    if (w.check == check)
        return;
    w.check = check;
    const HWND hwnd = w.hwnd;
    Notify([&](IModelObserver& o) { o.CheckChanged(hwnd); });
}

void WindowModel::SetSelection(Window& w, int selection) {
    if (w.selection == selection)
        return;
    w.selection = selection;
    const HWND hwnd = w.hwnd;
    Notify([&](IModelObserver& o) { o.SelectionChanged(hwnd); });
}

HWND WindowModel::FrontDialog() const {
    for (HWND h : zOrder_) {
        const Window* w = Find(h);
        if (w && w->isDialog && !w->isMessageBox && (w->style & WS_VISIBLE))
            return h;
    }
    throw UsageError("no dialog is shown");
}

void WindowModel::SetControlClassPresent(const std::u16string& className, bool present) {
    if (present)
        absentControlClasses_.erase(Folded(className));
    else
        absentControlClasses_.insert(Folded(className));
}

LRESULT WindowModel::ControlProc(Window& w, UINT message, WPARAM wParam, LPARAM lParam) {
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
            SetCheck(w, static_cast<int>(std::min(wParam, highest)));
            return 0;
        }
        return 0;
    }
    if (!IsClass(w, kClassComboBox))
        return 0;
    auto count = static_cast<LRESULT>(w.items.size());
    auto index = static_cast<LRESULT>(static_cast<INT>(wParam));
    switch (message) {
        case CB_ADDSTRING: {
            w.items.emplace_back(lParam ? reinterpret_cast<const char16_t*>(lParam) : u"");
            const HWND hwnd = w.hwnd;
            Notify([&](IModelObserver& o) { o.SelectionChanged(hwnd); });
            return count;
        }
        case CB_GETCOUNT:
            return count;
        case CB_GETCURSEL:
            return w.selection < 0 ? CB_ERR : w.selection;
        case CB_SETCURSEL:
            if (index < 0 || index >= count) {
                SetSelection(w, -1);
                return CB_ERR;
            }
            SetSelection(w, static_cast<int>(index));
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
        case CB_RESETCONTENT: {
            w.items.clear();
            w.selection = -1;
            const HWND hwnd = w.hwnd;
            Notify([&](IModelObserver& o) { o.SelectionChanged(hwnd); });
            return 0;
        }
        default:
            return 0;
    }
}

}  // namespace velk::model

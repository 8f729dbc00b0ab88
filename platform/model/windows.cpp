// The model's windows: creation and destruction, z-order, foreground, visibility,
// placement, text and focus.
#include "platform/model/window_model.h"

#include <algorithm>

#include "platform/model/input.h"
#include "platform/strings.h"

namespace velk::model {

namespace {

constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;
constexpr INT SW_SHOWNOACTIVATE = 4;
constexpr INT SW_SHOWNA = 8;

}  // namespace

// --- windows -----------------------------------------------------------------------

Window* WindowModel::Find(HWND hwnd) {
    auto it = windows_.find(hwnd.value);
    return it == windows_.end() ? nullptr : it->second.get();
}

const Window* WindowModel::Find(HWND hwnd) const {
    auto it = windows_.find(hwnd.value);
    return it == windows_.end() ? nullptr : it->second.get();
}

Window& WindowModel::Get(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w)
        throw UsageError("no window with handle " + HandleText(hwnd.value));
    return *w;
}

Window& WindowModel::Insert(std::unique_ptr<Window> w) {
    const HWND hwnd = w->hwnd;
    if (!w->IsChild())
        zOrder_.insert(zOrder_.begin(), hwnd);
    Window& inserted = *w;
    windows_[hwnd.value] = std::move(w);
    Notify([&](IModelObserver& o) { o.WindowCreated(hwnd); });
    return inserted;
}

HWND WindowModel::NewHandle() {
    // Handles are multiples of four: SetForegroundWindow reads the lowest bit as a flag.
    HWND h{nextHwnd_};
    nextHwnd_ += 4;
    return h;
}

bool WindowModel::RegisterClass(const std::u16string& name) {
    const std::u16string folded = Folded(name);
    return classes_.insert(folded).second;
}

HWND WindowModel::CreateWindow(DWORD pid, DWORD exStyle, const char16_t* className,
                               const char16_t* windowName, DWORD style, INT x, INT y, INT width,
                               INT height, HWND parent, UINT_PTR idOrMenu,
                               IWindowHandler* handler) {
    bool child = (style & WS_CHILD) != 0;
    Window* parentWindow = parent ? Find(parent) : nullptr;
    if (parent && !parentWindow)
        return HWND{};
    if (child && !parentWindow)
        return HWND{};

    auto w = std::make_unique<Window>();
    HWND hwnd = NewHandle();
    w->hwnd = hwnd;
    w->pid = pid;
    w->className = className ? className : u"";
    w->caption = windowName ? windowName : u"";
    w->style = style;
    w->exStyle = exStyle;
    w->handler = handler;
    if (child) {
        w->parent = parent;
        w->id = static_cast<INT>(idOrMenu);
        w->rect = {parentWindow->rect.left + x, parentWindow->rect.top + y,
                   parentWindow->rect.left + x + width, parentWindow->rect.top + y + height};
        parentWindow->children.push_back(hwnd);
    } else {
        w->owner = parent;
        w->rect = {x, y, x + width, y + height};
    }
    Insert(std::move(w));

    if (handler) {
        if (Send(hwnd, WM_NCCREATE, 0, 0) == 0) {
            DestroyTree(hwnd);
            return HWND{};
        }
        if (Send(hwnd, WM_CREATE, 0, 0) == -1) {
            DestroyTree(hwnd);
            return HWND{};
        }
    }
    Window* created = Find(hwnd);
    if (!created)
        return HWND{};
    if (!child && (created->style & WS_VISIBLE)) {
        BringToFront(hwnd);
        ChangeForeground(hwnd);
    }
    return hwnd;
}

bool WindowModel::DestroyWindow(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w || w->destroying)
        return false;
    DestroyTree(hwnd);
    return true;
}

void WindowModel::DestroyTree(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    if (!w->IsChild()) {
        std::vector<HWND> owned;
        for (HWND h : zOrder_) {
            Window* o = Find(h);
            if (o && o->owner == hwnd && !o->destroying)
                owned.push_back(h);
        }
        for (HWND h : owned)
            DestroyTree(h);
        // A window is hidden before it goes, so the foreground passes on first.
        SetVisibleFlag(hwnd, false);
        if (foreground_ == hwnd)
            ChangeForeground(NextVisibleTopLevel(hwnd));
    }
    Send(hwnd, WM_DESTROY, 0, 0);
    if (Window* again = Find(hwnd)) {
        std::vector<HWND> children = again->children;
        for (HWND c : children)
            DestroyTree(c);
    }
    Send(hwnd, WM_NCDESTROY, 0, 0);
    Unlink(hwnd);
}

void WindowModel::Unlink(HWND hwnd) {
    Window* w = Find(hwnd);
    if (!w)
        return;
    std::erase_if(timers_, [&](const Timer& t) { return t.hwnd == hwnd; });
    std::erase_if(hotKeys_, [&](const HotKey& k) { return k.hwnd == hwnd; });
    std::erase(zOrder_, hwnd);
    if (w->parent)
        if (Window* p = Find(w->parent))
            std::erase(p->children, hwnd);
    if (foreground_ == hwnd)
        foreground_ = HWND{};
    if (focus_ == hwnd)
        focus_ = HWND{};
    windows_.erase(hwnd.value);
    Notify([&](IModelObserver& o) { o.WindowDestroyed(hwnd); });
}

LRESULT WindowModel::DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hwnd);
    if (!w)
        return 0;
    if (message == WM_NCCREATE)
        return 1;
    if (message == WM_CLOSE) {
        if (w->isDialog) {
            // A dialog closes through its Cancel command, as if Cancel were pressed.
            HWND cancel = GetDlgItem(hwnd, IDCANCEL);
            Post(w->pid, hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 static_cast<LPARAM>(cancel.value));
        } else {
            DestroyWindow(hwnd);
        }
        return 0;
    }
    return ControlProc(*w, message, wParam, lParam);
}

HWND WindowModel::FindWindow(const char16_t* className, const char16_t* windowName) const {
    for (HWND h : zOrder_) {
        const Window* w = Find(h);
        if (!w || w->destroying)
            continue;
        if (className && !FoldedEquals(w->className, className))
            continue;
        if (windowName && !FoldedEquals(w->caption, windowName))
            continue;
        return h;
    }
    return HWND{};
}

HWND WindowModel::TopLevelOf(HWND hwnd) const {
    const Window* w = Find(hwnd);
    while (w && w->IsChild()) {
        hwnd = w->parent;
        w = Find(hwnd);
    }
    return w ? hwnd : HWND{};
}

void WindowModel::BringToFront(HWND hwnd) {
    auto it = std::find(zOrder_.begin(), zOrder_.end(), hwnd);
    if (it == zOrder_.end())
        return;
    zOrder_.erase(it);
    zOrder_.insert(zOrder_.begin(), hwnd);
}

void WindowModel::ChangeForeground(HWND hwnd) {
    if (hwnd == foreground_)
        return;
    HWND old = foreground_;
    foreground_ = hwnd;
    Notify([&](IModelObserver& o) { o.FrontChanged(old, hwnd); });
    if (old)
        Send(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(hwnd.value));
    if (hwnd && foreground_ == hwnd)
        Send(hwnd, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old.value));
}

HWND WindowModel::NextVisibleTopLevel(HWND except) const {
    for (HWND h : zOrder_) {
        const Window* w = Find(h);
        if (h == except || !w || w->destroying || w->noActivate)
            continue;
        if (w->style & WS_VISIBLE)
            return h;
    }
    return HWND{};
}

bool WindowModel::SetForeground(HWND hwnd) {
    bool withOwned = (hwnd.value & 1) != 0;
    HWND top = TopLevelOf(HWND{hwnd.value & ~std::uintptr_t{1}});
    if (!top)
        return false;
    BringToFront(top);
    HWND target = top;
    if (withOwned) {
        // The flag brings the window's frontmost owned pop-up forward with it.
        for (HWND h : zOrder_) {
            const Window* w = Find(h);
            if (w && w->owner == top && (w->style & WS_VISIBLE) && !w->noActivate) {
                BringToFront(h);
                target = h;
                break;
            }
        }
    }
    ChangeForeground(target);
    return true;
}

void WindowModel::ClearForeground() {
    ChangeForeground(HWND{});
}

bool WindowModel::ShowWindow(HWND hwnd, INT cmdShow) {
    Window* w = Find(hwnd);
    if (!w)
        return false;
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (cmdShow == SW_HIDE) {
        SetVisibleFlag(hwnd, false);
        if (foreground_ && TopLevelOf(foreground_) == hwnd)
            ChangeForeground(NextVisibleTopLevel(hwnd));
        return wasVisible;
    }
    SetVisibleFlag(hwnd, true);
    if (!w->IsChild() && !w->noActivate && cmdShow != SW_SHOWNA && cmdShow != SW_SHOWNOACTIVATE) {
        BringToFront(hwnd);
        ChangeForeground(hwnd);
    }
    return wasVisible;
}

void WindowModel::SetVisibleFlag(HWND hwnd, bool visible) {
    Window& w = Get(hwnd);
    if (((w.style & WS_VISIBLE) != 0) == visible)
        return;
    if (visible)
        w.style |= WS_VISIBLE;
    else
        w.style &= ~WS_VISIBLE;
    Notify([&](IModelObserver& o) { visible ? o.WindowShown(hwnd) : o.WindowHidden(hwnd); });
}

bool WindowModel::SetText(HWND hwnd, std::u16string text) {
    Window* w = Find(hwnd);
    if (!w)
        return false;
    if (w->caption == text)
        return true;
    w->caption = std::move(text);
    Notify([&](IModelObserver& o) { o.TextChanged(hwnd); });
    return true;
}

bool WindowModel::IsVisible(HWND hwnd) const {
    const Window* w = Find(hwnd);
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->IsChild())
            return true;
        w = Find(w->parent);
    }
    return false;
}

void WindowModel::SetRect(HWND hwnd, const RECT& rect) {
    Window& w = Get(hwnd);
    LONG dx = rect.left - w.rect.left;
    LONG dy = rect.top - w.rect.top;
    const bool moved = !(w.rect == rect);
    w.rect = rect;
    if (moved)
        Notify([&](IModelObserver& o) { o.WindowMoved(hwnd); });
    if (dx == 0 && dy == 0)
        return;
    std::vector<HWND> pending = w.children;
    while (!pending.empty()) {
        HWND c = pending.back();
        pending.pop_back();
        Window* cw = Find(c);
        if (!cw)
            continue;
        cw->rect = {cw->rect.left + dx, cw->rect.top + dy, cw->rect.right + dx,
                    cw->rect.bottom + dy};
        pending.insert(pending.end(), cw->children.begin(), cw->children.end());
    }
}

bool WindowModel::SetWindowPos(HWND hwnd, INT x, INT y, INT cx, INT cy, UINT flags) {
    Window* w = Find(hwnd);
    if (!w)
        return false;
    RECT r = w->rect;
    if (!(flags & SWP_NOMOVE)) {
        LONG ox = 0;
        LONG oy = 0;
        if (w->IsChild())
            if (const Window* p = Find(w->parent)) {
                ox = p->rect.left;
                oy = p->rect.top;
            }
        LONG width = r.right - r.left;
        LONG height = r.bottom - r.top;
        r = {ox + x, oy + y, ox + x + width, oy + y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
        r.right = r.left + cx;
        r.bottom = r.top + cy;
    }
    SetRect(hwnd, r);
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return true;
}

HWND WindowModel::SetFocus(HWND hwnd) {
    HWND old = focus_;
    if (hwnd && !Find(hwnd))
        return HWND{};
    focus_ = hwnd;
    if (hwnd != old)
        Notify([&](IModelObserver& o) { o.FocusChanged(old, hwnd); });
    if (hwnd && hwnd != old)
        Send(hwnd, WM_SETFOCUS, static_cast<WPARAM>(old.value), 0);
    return old;
}

}  // namespace velk::model

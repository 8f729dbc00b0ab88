// What the window model tells a view: each change a view shows, after the model made
// it. Every method does nothing by default, so a view overrides what it draws. The
// observer runs on the model's thread, inside the call that made the change; it reads
// the model but does not change it. Test double: a recorder of its own
// (tests/unit/model_notifications_test.cpp).
#pragma once

#include "platform/types.h"

namespace velk::model {

struct TrackedMenu;
struct MessageBoxRecord;

class IModelObserver {
  public:
    virtual ~IModelObserver() = default;

    // A new window as made (its style tells whether it is visible yet); WindowShown
    // follows only where it is shown later.
    virtual void WindowCreated(HWND) {}
    virtual void WindowShown(HWND) {}
    virtual void WindowHidden(HWND) {}
    virtual void WindowMoved(HWND) {}
    virtual void WindowDestroyed(HWND) {}
    // A window's caption or an edit box's text.
    virtual void TextChanged(HWND) {}
    virtual void CheckChanged(HWND) {}
    // A combo box's selection, or its list of items.
    virtual void SelectionChanged(HWND) {}
    virtual void FocusChanged(HWND /*from*/, HWND /*to*/) {}
    // The foreground window; to is null when no window is in front.
    virtual void FrontChanged(HWND /*from*/, HWND /*to*/) {}
    virtual void MenuOpened(const TrackedMenu&) {}
    virtual void MenuClosed(const TrackedMenu&) {}
    // A notification icon, by its window and id.
    virtual void IconAdded(HWND, UINT) {}
    virtual void IconChanged(HWND, UINT) {}
    virtual void IconRemoved(HWND, UINT) {}
    virtual void MessageBoxShown(const MessageBoxRecord&) {}
    virtual void MessageBoxClosed(const MessageBoxRecord&) {}
};

}  // namespace velk::model

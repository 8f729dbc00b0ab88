// The scale of the monitor a window is on, and dialogs laid out again from their
// templates when it changes: the dialog manager lays a template out once, at the scale of
// the moment, and older systems never again.
#pragma once

#include <string>
#include <vector>

#include "platform/resources.h"

#include "platform/win32/util.h"

namespace velk::win32 {

inline void CloseFont(::HFONT f) {
    ::DeleteObject(f);
}
using UniqueFont = Unique<::HFONT, CloseFont>;

// The dots per inch of the monitor the window is on, as the window sees them; the
// system's where Windows cannot tell a window's own.
::UINT WindowDpi(::HWND hwnd);

// One dialog's template geometry, in dialog units, and the font it names: the dialog is
// laid out from them again at every change of scale, so its controls keep the template's
// layout and its text the template's point size.
class DialogLayout {
  public:
    DialogLayout(const DialogTemplate& tmpl, ::HINSTANCE instance);

    // On the dialog's creation, before its handler sees it: takes the dialog's scaling over
    // from the system, notes its controls and lays it out at its window's scale if the
    // dialog manager used another.
    void Attach(::HWND dialog);
    // Lays the dialog out at the scale; `suggested` is the window rectangle Windows
    // proposes with the change, else the dialog keeps its place (its centre if centred).
    void Apply(::HWND dialog, ::UINT dpi, const ::RECT* suggested);

  private:
    struct Item {
        short x, y, cx, cy;
        WORD icon;  // an icon static's icon resource, else 0
    };

    // Lays out unless `onlyIfNeeded` and the dialog's client area already has the size.
    void Layout(::HWND dialog, ::UINT dpi, const ::RECT* suggested, bool onlyIfNeeded);

    ::HINSTANCE instance_;
    bool centred_;
    short cx_, cy_;
    std::wstring fontName_;
    WORD pointSize_;
    std::vector<Item> items_;
    std::vector<::HWND> controls_;
    UniqueFont font_;  // the controls' font since the first layout of our own
};

}  // namespace velk::win32

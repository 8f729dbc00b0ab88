// In-memory desktop dialog templates and menus built from the program's one definition of
// its resources (res/).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/resources.h"

#include "platform/win32/util.h"

namespace velk::win32 {

// A DLGTEMPLATE with its items, DWORD-aligned, ready for CreateDialogIndirectParamW.
// What the desktop lacks is left out: the caption OK button extended style and the
// input-panel preference control.
class DialogTemplateBuffer {
  public:
    explicit DialogTemplateBuffer(const DialogTemplate& tmpl);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
    std::size_t size() const { return words_.size() * sizeof(WORD); }
    int itemCount() const { return items_; }

  private:
    void Word(WORD w) { words_.push_back(w); }
    void Dword(DWORD d);
    void Text(const char16_t* s);
    void AlignDword();

    std::vector<WORD> words_;
    int items_ = 0;
};

// True for items the desktop has no control for.
bool SkippedOnDesktop(const DialogItemTemplate& item);

// An item's width on the desktop, in dialog units: the template's, but a drop-down list
// takes up to kDropDownGrowth more where nothing lies to its right, since the desktop's
// drop button is wider than the device's and would cut its text short.
inline constexpr short kDropDownGrowth = 8;
short DesktopWidth(const DialogTemplate& tmpl, const DialogItemTemplate& item);

// Builds the menu bar of a menu template (pop-ups with their items, plain top-level
// items); null on failure, with nothing left behind.
::HMENU BuildMenu(const MenuTemplate& tmpl);

}  // namespace velk::win32

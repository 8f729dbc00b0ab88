// Dialog templates in Qt's pixels: the dialog font and the dialog units as the Windows
// dialog manager computes them from that font, so that a template keeps its proportions
// whatever font the desktop gives.
#pragma once

#include <QFont>
#include <QRect>

#include "platform/resources.h"

namespace velk::linux {

// The horizontal base unit is the dialog font's average character width (of the 52 Latin
// letters, rounded as Windows rounds it), the vertical one the font's height. A dialog
// unit is a quarter of the one, an eighth of the other.
struct DialogUnits {
    int baseX = 0;
    int baseY = 0;

    int X(int dlu) const;
    int Y(int dlu) const;
    // An item's box, relative to the dialog's client area.
    QRect Box(int x, int y, int cx, int cy) const { return {X(x), Y(y), X(cx), Y(cy)}; }
};

DialogUnits UnitsOf(const QFont& font);

// The template's font: its family where the desktop has it, else the desktop's own user
// interface font (the templates name fonts of the handheld), at the template's size in
// points. No font in the template: the desktop's font at its own size.
QFont DialogFont(const DialogTemplate& tmpl);

// How many dialog units a drop-down list may grow to its right, where nothing visible lies
// beside it, up to kDropDownGrowth and the dialog's edge: the desktop's drop button is wider
// than the handheld's and would otherwise cut its items short.
inline constexpr int kDropDownGrowth = 8;
int DropDownRoom(const DialogTemplate& tmpl, const DialogItemTemplate& item);

// Integer a * b / c rounded half away from zero, as MulDiv does.
int MulDiv(int a, int b, int c);

}  // namespace velk::linux

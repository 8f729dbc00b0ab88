#include "platform/linux/view/dialog_layout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <cstdlib>

namespace velk::linux {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const long long product = static_cast<long long>(a) * b;
    const long long half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const long long q = (std::llabs(product) + half) / std::llabs(c);
    return static_cast<int>(negative ? -q : q);
}

int DialogUnits::X(int dlu) const {
    return MulDiv(dlu, baseX, 4);
}

int DialogUnits::Y(int dlu) const {
    return MulDiv(dlu, baseY, 8);
}

DialogUnits UnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Half of the width of the 26 letter pairs, rounded: the platform's own formula.
    return {(letters / 26 + 1) / 2, metrics.height()};
}

int DropDownRoom(const DialogTemplate& tmpl, const DialogItemTemplate& item) {
    // A closed drop-down's height, and the gap it keeps to a neighbour, in dialog units.
    constexpr int kClosedHeight = 12, kGap = 2;
    const int right = item.x + item.cx;
    int limit = std::min<int>(tmpl.cx, right + kDropDownGrowth);
    for (const DialogItemTemplate& other : tmpl.items) {
        if (&other == &item || !(other.style & WS_VISIBLE) || other.y >= item.y + kClosedHeight ||
            other.y + other.cy <= item.y)
            continue;
        if (other.x >= right)
            limit = std::min(limit, other.x - kGap);  // beside it
        else if (other.x + other.cx >= right)
            limit = std::min(limit, other.x + other.cx - kGap);  // around it (a group box)
    }
    return std::max(limit - right, 0);
}

QFont DialogFont(const DialogTemplate& tmpl) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (tmpl.fontName) {
        const QString family = QString::fromUtf16(tmpl.fontName);
        if (QFontDatabase::hasFamily(family))
            font.setFamily(family);
    }
    if (tmpl.pointSize > 0)
        font.setPointSize(tmpl.pointSize);
    return font;
}

}  // namespace velk::linux

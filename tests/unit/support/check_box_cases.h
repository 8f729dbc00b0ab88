// What a two-state check box does with the values a program may hand it, as measured on
// the platform's own button: one table for the simulator's tests and the Windows tests,
// so that both homes are held to the same answers.
#pragma once

namespace velk::test {

struct CheckBoxCase {
    int value;               // handed to the box: BM_SETCHECK's wParam, or the stored setting
    int shownAfterSetCheck;  // BM_GETCHECK after BM_SETCHECK(value)
    int shownFromStored;     // BM_GETCHECK of the settings dialog showing the stored value
    int storedOnOk;          // what OK then stores
};

// BM_SETCHECK's wParam is unsigned: -1 is the largest value, and a two-state box takes
// anything above 1 as checked. The dialog's data exchange shows a stored value outside
// 0..2 as clear before the box ever sees it.
inline constexpr CheckBoxCase kCheckBoxCases[] = {
    {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 1, 1, 1}, {5, 1, 0, 0}, {-1, 1, 0, 0},
};

}  // namespace velk::test

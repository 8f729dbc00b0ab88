// Everything a user does to the program's windows, in one place: typing into an edit
// box, checking, selecting, clicking a button, choosing from a menu, dismissing a
// message box, tapping or clicking a notification icon, pressing and releasing keys.
// A view calls it with what the user did; the simulator's scenarios call it too. Each
// action reaches the program as the platform would deliver it (a posted tap, a
// notification message, a hot key) and wakes the model's time source, so a waiting
// message loop looks at once. A control that is not there, hidden or disabled, a menu
// item or message box that is not shown: UsageError, saying what the user could not do.
#pragma once

#include <string>

#include "platform/model/window_model.h"

namespace velk::model {

class UserInput {
  public:
    explicit UserInput(WindowModel& model) : model_(model) {}

    // --- dialogs: the control with that id of the dialog -----------------------------
    void TypeText(HWND dialog, INT id, const std::u16string& text);
    // Taps a check box or radio button until it shows state (a radio button can only
    // be checked).
    void Check(HWND dialog, INT id, int state);
    void Select(HWND dialog, INT id, int index);
    // A button; IDOK on a dialog without one presses the OK button in its caption.
    void Click(HWND dialog, INT id);
    // The OK button in the dialog's caption.
    void PressDone(HWND dialog);

    // --- menus and message boxes: the innermost one open ----------------------------
    // By the text the menu shows, with or without its "&", letter case folded.
    void ChooseMenuItem(const std::u16string& text);
    void CancelMenu();
    void DismissMessageBox();

    // --- notification icons ----------------------------------------------------------
    // Sends the icon's notification message with a mouse message (a tap is
    // WM_LBUTTONDOWN then WM_LBUTTONUP; a right click WM_RBUTTONUP...).
    void ClickIcon(HWND hwnd, UINT id, UINT mouseMessage);
    void TapIcon(HWND hwnd, UINT id);
    // Taps the one icon there is.
    void TapIcon();

    // --- keys ------------------------------------------------------------------------
    void KeyDown(UINT vk);
    void KeyUp(UINT vk);
    void PressKey(UINT vk);

  private:
    // The control as the user can reach it: there, visible and enabled.
    Window& Reachable(HWND dialog, INT id);
    void Woken();

    WindowModel& model_;
};

// The control with that id of the dialog; UsageError naming the dialog when none.
HWND ControlOf(const WindowModel& model, HWND dialog, INT id);

}  // namespace velk::model

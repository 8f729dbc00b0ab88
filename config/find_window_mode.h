// The Find Window mode of the settings dialog: the user brings an application to the
// front and presses Application Button 1; the front window's caption is offered in the
// Window Found dialog and added to one of the dialog's three list fields. The mode's
// state lives here, owned by the settings dialog, whose message map calls the handlers.
#pragma once

#include <functional>

#include "platform/process.h"
#include "platform/types.h"
#include "platform/window_system.h"

namespace velk {

class CSettingsDlg;

// The hardware button and how the mode takes it.
constexpr INT kAppButtonHotKeyId = static_cast<INT>(VK_APP1);    // the hot key's id is its key
constexpr UINT kAppButtonHotKeyModifiers = MOD_WIN | MOD_KEYUP;  // 0x1008
constexpr UINT kShellReleaseModifiers = MOD_WIN;
// Systems without the device's core library have no Application Button: Ctrl+Alt+F12
// stands in for it there.
constexpr INT kDesktopHotKeyId = 0x0F12;
constexpr UINT kDesktopHotKeyModifiers = MOD_CONTROL | MOD_ALT;
constexpr UINT kDesktopHotKeyVk = VK_F12;
constexpr UINT_PTR kFindTimerId = 1;
constexpr UINT kFindTimerPeriod = 500;

inline constexpr char16_t kFindWindowPrompt[] =
    u"Launch Application you want to add to On or Off list and press Application Button 1!";

// Window Found's list index: which of the settings dialog's lists a caption goes to.
constexpr INT kListActiveOn = 0;   // OnList
constexpr INT kListRunningOn = 1;  // OnRunList; any other index means OffList

// True when some entry of list (entries exactly as they stand between the ";"
// separators, the text after the last one included) begins caption, letter case aside.
// An empty entry covers nothing.
bool IsCaptionCovered(const CString& caption, const CString& list);

// The list with caption appended as its last entry: trailing white space goes, and a
// ";" is put between when the list does not already end with one.
CString AppendCaption(CString list, const CString& caption);

class FindWindowMode {
  public:
    // process looks up the shell's UnregisterFunc1; keys registers the button.
    FindWindowMode(CSettingsDlg& dialog, IProcess& process, IKeys& keys)
        : dialog_(dialog), process_(process), keys_(keys) {}

    // --- state, all 0 for a new settings dialog ---------------------------------------
    INT HotKeyBusy = 0;  // a capture is in progress
    INT ListChoice = 0;  // list index offered first by the next capture
    INT TimerBusy = 0;   // a timer tick is re-taking the hot key
    UINT_PTR TimerId = 0;

    // --- handlers -------------------------------------------------------------------
    // "Find Window!": prompt, take the button, hide the dialog, keep its edits, start
    // the timer unless it runs.
    void Start();
    // The timer tick; passDefault hands the message to the default window handling.
    void OnTimer(const std::function<void()>& passDefault);
    // The button was pressed: offer the front window's caption.
    LRESULT OnHotKey();
    // Lists the caption of every top-level window, one message box each.
    void ListWindowCaptions();

    // Ends the mode without showing the dialog again: the timer and the button are
    // given up. Does nothing while the mode holds neither.
    void Stop();

  private:
    void TakeHotKey();
    void GiveUpHotKey();
    // Stop, then the dialog comes back in front (while it still runs).
    void End();
    // Adds caption to the list chosen by listIndex unless the list already covers it.
    void AddCaption(const CString& caption, INT listIndex);

    CSettingsDlg& dialog_;
    IProcess& process_;
    IKeys& keys_;
    bool hotKeyTaken_ = false;
    bool desktopKey_ = false;  // the stand-in key was registered too
};

}  // namespace velk

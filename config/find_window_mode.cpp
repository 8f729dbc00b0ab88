#include "config/find_window_mode.h"

#include <algorithm>

#include "config/settings_dlg.h"
#include "config/window_found_dlg.h"
#include "platform/framework/win_app.h"
#include "platform/scoped_busy.h"
#include "platform/strings.h"

namespace velk {

namespace {

constexpr INT kListCaptionBuffer = 256;

}  // namespace

// --- the list operations ----------------------------------------------------------------

bool IsCaptionCovered(const CString& caption, const CString& list) {
    CString foldedCaption = caption;
    CString foldedList = list;
    Fold(foldedCaption);
    Fold(foldedList);
    std::size_t start = 0;
    while (start < foldedList.size()) {
        std::size_t end = foldedList.find(u';', start);
        if (end == CString::npos)
            end = foldedList.size();
        const std::size_t length = end - start;
        if (length > 0 && foldedCaption.size() >= length &&
            foldedCaption.compare(0, length, foldedList, start, length) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

CString AppendCaption(CString list, const CString& caption) {
    TrimRight(list);
    if (!list.empty() && StringsDiffer(list.substr(list.size() - 1), u";"))
        list += u';';
    list += caption;
    return list;
}

// --- the mode ---------------------------------------------------------------------------

void FindWindowMode::TakeHotKey() {
    IProcess& process = process_;
    const HMODULE core = process.LoadLibraryW(u"coredll.dll");
    const FARPROC unregisterFunc1 =
        core ? process.GetProcAddressW(core, u"UnregisterFunc1") : FARPROC{};
    // The shell holds the button for itself until it is told to let go.
    if (unregisterFunc1)
        process.CallUnregisterFunc1(unregisterFunc1, kShellReleaseModifiers, VK_APP1);
    keys_.RegisterHotKey(dialog_.m_hWnd, kAppButtonHotKeyId, kAppButtonHotKeyModifiers, VK_APP1);
    if (!core) {
        keys_.RegisterHotKey(dialog_.m_hWnd, kDesktopHotKeyId, kDesktopHotKeyModifiers,
                             kDesktopHotKeyVk);
        desktopKey_ = true;
    }
    hotKeyTaken_ = true;
    if (core)
        process.FreeLibrary(core);
}

void FindWindowMode::GiveUpHotKey() {
    keys_.UnregisterHotKey(dialog_.m_hWnd, kAppButtonHotKeyId);
    if (desktopKey_)
        keys_.UnregisterHotKey(dialog_.m_hWnd, kDesktopHotKeyId);
    desktopKey_ = false;
    hotKeyTaken_ = false;
}

void FindWindowMode::Start() {
    AfxMessageBox(dialog_.Menus(), dialog_.AppName(), kFindWindowPrompt, dialog_.m_hWnd);
    // Closed while the prompt was up: there is nothing left to capture into.
    if (!dialog_.IsModalRunning())
        return;
    TakeHotKey();
    dialog_.ShowWindow(SW_HIDE);
    // Edits made so far must survive the loads that follow each added caption.
    dialog_.UpdateData(1);
    if (TimerId == 0)
        TimerId = dialog_.SetTimer(kFindTimerId, kFindTimerPeriod);
}

void FindWindowMode::OnTimer(const std::function<void()>& passDefault) {
    if (HotKeyBusy || TimerBusy)
        return;
    const ScopedBusy busy(TimerBusy);
    // Something else may have taken the button meanwhile: take it back.
    TakeHotKey();
    passDefault();
}

LRESULT FindWindowMode::OnHotKey() {
    // A second press, or the release of the button, while Window Found is open.
    if (HotKeyBusy)
        return 0;
    const ScopedBusy busy(HotKeyBusy);

    IDesktopWindows& desktop = dialog_.Desktop();
    CString caption;
    if (const HWND front = desktop.GetForegroundWindow())
        caption = GetWindowTextString(desktop, front);

    CWindowFoundDlg found(dialog_.Roles(), dialog_.ShellRolesOf());
    found.ContinueFind = 0;
    found.Caption = caption;
    found.ListIndex = ListChoice;
    found.m_bFullScreen = 0;
    if (found.DoModal() == IDOK)
        AddCaption(found.Caption, found.ListIndex);

    if (found.ContinueFind)
        ListChoice = found.ListIndex;
    else
        End();
    return 0;
}

void FindWindowMode::AddCaption(const CString& caption, INT listIndex) {
    CString& list = listIndex == kListActiveOn    ? dialog_.OnList
                    : listIndex == kListRunningOn ? dialog_.OnRunList
                                                  : dialog_.OffList;
    // Shown again mid-mode, the dialog may hold typing that the load below would undo.
    if (dialog_.IsModalRunning() && dialog_.IsWindowVisible())
        dialog_.UpdateData(1);
    if (IsCaptionCovered(caption, list))
        return;
    list = AppendCaption(list, caption);
    dialog_.UpdateData(0);
}

void FindWindowMode::Stop() {
    if (TimerId != 0) {
        dialog_.KillTimer(TimerId);
        TimerId = 0;
    }
    if (hotKeyTaken_)
        GiveUpHotKey();
}

void FindWindowMode::End() {
    Stop();
    // A dialog closed during the capture stays closed.
    if (!dialog_.IsModalRunning())
        return;
    dialog_.ShowWindow(SW_SHOW);
    dialog_.SetForegroundWindow();
}

void FindWindowMode::ListWindowCaptions() {
    IDesktopWindows& desktop = dialog_.Desktop();
    desktop.EnumWindows([&](HWND hwnd) -> BOOL {
        char16_t buf[kListCaptionBuffer] = {};
        const INT got = desktop.GetWindowTextW(hwnd, buf, kListCaptionBuffer);
        const INT length = std::clamp(got, 0, kListCaptionBuffer - 1);
        if (length > 0)
            AfxMessageBox(dialog_.Menus(), dialog_.AppName(),
                          CString(buf, static_cast<std::size_t>(length)), dialog_.m_hWnd);
        return 1;
    });
}

}  // namespace velk

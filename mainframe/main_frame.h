// The program's main window. It is never seen: it owns the polling timer that drives
// the switch engine, the notification icon and its menu, and the state of the engine,
// the radio controls and the open settings dialog.
#pragma once

#include <memory>

#include "config/settings.h"
#include "config/settings_command.h"
#include "engine/decision_explainer.h"
#include "engine/engine_state.h"
#include "engine/switch_engine.h"
#include "mainframe/main_view.h"
#include "platform/framework/frame_wnd.h"
#include "platform/framework/win_app.h"
#include "radio/bluetooth_control.h"
#include "radio/radios.h"
#include "radio/wlan_control.h"

namespace velk {

class CSettingsDlg;

constexpr UINT kIconId = 1;
constexpr UINT kIconNotifyMessage = WM_USER + 2;  // 1026
constexpr DWORD kNotifyIconDataSize = 152;        // the device's record size
constexpr UINT kPollTimerId = 1;
constexpr INT kDefaultCheckInterval = 1500;
constexpr LONG kStandardScreenBarTop = 320;  // bars lower than this: a high-resolution screen

class CMainFrame : public CFrameWnd {
  public:
    explicit CMainFrame(CWinApp& app);
    ~CMainFrame() override;

    // --- the engine's and the radio controls' state -----------------------------------
    EngineState Engine;
    CSettingsDlg* SettingsDlg = nullptr;  // the open settings dialog, null when none
    RegistryProfile& Store;

    // --- this window's own members ------------------------------------------------------
    INT CheckInterval = kDefaultCheckInterval;
    CCeCommandBar CommandBar;
    CMainView View;
    NOTIFYICONDATA IconData;
    INT IconMenuOpen = 0;

    // --- operations -----------------------------------------------------------------
    void LoadRuleLists();
    // What the Settings command is given of this frame.
    SettingsCommandHost SettingsHost();
    // One tick of the engine, for the WM_TIMER being handled.
    void SwitchEngine();

    // From now on each decision of the engine is explained to sink; null for none.
    void ExplainDecisions(IExplanationSink* sink);

    // Hides the menu bar, the view and the frame, in this order.
    void HideAllWindows();

    BOOL OnCmdMsg(UINT id, UINT code) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    DECLARE_MESSAGE_MAP()

  protected:
    INT OnCreate(LPARAM createRecord);
    void OnSetFocus(HWND previous);
    void OnTimer(UINT_PTR id);
    void OnSettings();
    LRESULT OnIconNotify(WPARAM iconId, LPARAM mouseMessage);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  private:
    BluetoothControl bluetooth_;
    WlanControl wlan_;
    Radios radios_;
    ::velk::SwitchEngine engine_;
    std::unique_ptr<DecisionExplainer> explainer_;
    // The shell's broadcast after it (re)starts; 0 where it has none.
    UINT taskbarCreated_ = 0;
};

}  // namespace velk

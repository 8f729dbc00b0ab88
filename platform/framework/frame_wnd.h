// The frame window and its menu bar.
#pragma once

#include "platform/framework/wnd.h"

namespace velk {

class CFrameWnd : public CWnd {
  public:
    explicit CFrameWnd(CWinApp& app);

    // Creates the frame window from resource id: caption from the first line of the
    // string resource, window style from style (the framework's own bits removed).
    // FALSE when the window was refused; the object may then be gone already (when it
    // is the application's main window), so a caller must not touch it afterwards.
    virtual BOOL LoadFrame(UINT resourceId, DWORD style, CWnd* parent);

    // The frame's menu, as recorded by the menu bar.
    HMENU GetMenu() const { return m_hMenu; }
    void SetRecordedMenu(HMENU menu) { m_hMenu = menu; }

    void SetActiveView(CWnd* view) { m_pViewActive = view; }
    CWnd* GetActiveView() const { return m_pViewActive; }

    CWinApp& App() const { return *m_app; }
    IShell& Shell() const { return m_shell.shell; }
    IMenus& Menus() const { return m_shell.menus; }

    // Active view, then the frame's own map, then the application object.
    BOOL OnCmdMsg(UINT id, UINT code) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;

    DECLARE_MESSAGE_MAP()

  protected:
    INT OnCreate(LPARAM createRecord);
    void OnNcDestroy() override;
    void PostNcDestroy() override;

    UINT m_nIDHelp = 0;
    ShellRoles m_shell;

  private:
    CWinApp* m_app;
    HMENU m_hMenu;
    CWnd* m_pViewActive = nullptr;
};

// The menu bar: the shell's menu bar where the platform has one; elsewhere a plain
// top-level window of the program's own, along the bottom of the work area, so that
// whatever is placed by the bar's rectangle (icon choice, menu position) follows the
// same rule on every system.
class CCeCommandBar : public CWnd {
  public:
    CCeCommandBar(const WndRoles& roles, const ShellRoles& shell) : CWnd(roles), m_shell(shell) {}
    explicit CCeCommandBar(const Platform& platform) : CCeCommandBar(platform, platform) {}
    ~CCeCommandBar() override;

    BOOL Create(CWnd* parent, DWORD style, UINT id);
    // Loads menu resourceId into the bar; the parent frame records it as its menu.
    BOOL InsertMenuBar(UINT resourceId);
    BOOL AddAdornments(DWORD flags);
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD style) { m_dwStyle = style; }

    HMENU GetMenuBar() const { return m_hMenu; }
    DWORD GetAdornments() const { return m_adornments; }
    UINT GetBarId() const { return m_id; }
    bool IsShellMenuBar() const { return m_shellBar; }

  private:
    ShellRoles m_shell;
    CWnd* m_parent = nullptr;
    DWORD m_dwStyle = 0;
    DWORD m_adornments = 0;
    UINT m_id = 0;
    HMENU m_hMenu;
    bool m_shellBar = false;
};

}  // namespace velk

// Modal dialogs built from the program's templates, and dialog data exchange: values
// move between a dialog's fields and its controls in one direction per call.
#pragma once

#include "platform/framework/wnd.h"

namespace velk {

class CDialog;

class CDataExchange {
  public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    BOOL m_bSaveAndValidate;  // TRUE: controls -> fields; FALSE: fields -> controls
    CDialog* m_pDlgWnd;
};

// Whole text of an edit (or any control with text).
void DDX_Text(CDataExchange* dx, INT id, CString& value);
// Check state. Loading first brings a value outside 0..2 to 0 and keeps it so.
void DDX_Check(CDataExchange* dx, INT id, INT& value);
// Index of the selected combo item; saving gives -1 when nothing is selected, loading
// an index outside the list leaves nothing selected.
void DDX_CBIndex(CDataExchange* dx, INT id, INT& index);
// Index of the chosen radio button of the group that starts at id and runs, in template
// order, up to the next control that starts a group; -1 for none.
void DDX_Radio(CDataExchange* dx, INT id, INT& value);

class CDialog : public CWnd {
  public:
    // templateId names one of the templates in res/; parent may be null.
    CDialog(UINT templateId, const WndRoles& roles, const ShellRoles& shell,
            CWnd* parent = nullptr);
    CDialog(UINT templateId, const Platform& platform, CWnd* parent = nullptr)
        : CDialog(templateId, platform, platform, parent) {}

    IShell& Shell() const { return m_shell.shell; }
    IMenus& Menus() const { return m_shell.menus; }
    const ShellRoles& ShellRolesOf() const { return m_shell; }

    // Creates the dialog, runs its own message loop until EndDialog, destroys it and
    // returns the code given to EndDialog; -1 when the dialog could not be made or the
    // loop ended on WM_QUIT (which is posted again for the loop outside).
    virtual INT DoModal();
    void EndDialog(INT result);

    BOOL UpdateData(BOOL saveAndValidate = 1);
    // Over the owner window when it is visible, else over the work area.
    BOOL CenterWindow();

    UINT GetTemplateId() const { return m_templateId; }
    const DialogTemplate* GetTemplate() const;
    bool IsModalRunning() const { return m_modalRunning; }

    // Full-screen dialogs are brought to the foreground and initialised by the shell
    // (Done button, full-screen size, input panel down). Clear it before DoModal for a
    // dialog that opens at its template size.
    BOOL m_bFullScreen = 1;

    DECLARE_MESSAGE_MAP()

  protected:
    // Default: loads the fields into the controls, then the full-screen treatment.
    // TRUE lets the platform set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    // OK: save the controls, end with 1. Cancel: end with 2, nothing saved.
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    LRESULT HandleActivate(WPARAM wParam, LPARAM lParam);
    LRESULT HandleSettingChange(WPARAM wParam, LPARAM lParam);

    CWnd* m_pParentWnd;
    ShellRoles m_shell;

  private:
    UINT m_templateId;
    INT m_nModalResult = -1;
    bool m_modalRunning = false;
};

}  // namespace velk

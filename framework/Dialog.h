// Modal dialogs from templates, with data exchange between controls and
// members.
#pragma once

#include "Wnd.h"

class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    // Selects a failed control's text and gives it the focus; the exchange
    // stops there.
    void Fail();
    HWND PrepareCtrl(int id);

    CWnd* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_bFailed = false;
    HWND m_hWndLastControl = nullptr;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Limits in bytes of the system code page, as the edit control counts them.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);

class CDialog : public CWnd {
  public:
    CDialog(UINT templateId, CWnd* pParentWnd = nullptr);

    INT_PTR DoModal();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

  protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // The message map, then the dialog's own handling; false lets the
    // platform's dialog manager handle the message.
    virtual bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    // Controls that take text CP932 cannot spell: the dialog and its
    // controls are made Unicode windows. An edit made ANSI keeps its text in
    // the code page, and what that cannot spell is lost as it is typed
    // (Wine's edit keeps UTF-16 text whichever way it was made).
    bool m_bUnicode = false;
};

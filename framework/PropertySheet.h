// Modal property sheets on the platform's own: tabbed pages, each a dialog
// template with its own data exchange.
#pragma once

#include "Dialog.h"

#include <commctrl.h>

// The default page: loads its controls when created and when shown again,
// saves and validates them when left (the page stays up if that fails).
// OK applies nothing more; Cancel exchanges nothing.
class CPropertyPage : public CDialog {
  public:
    explicit CPropertyPage(UINT templateId);

  protected:
    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive() { return UpdateData(TRUE); }
    virtual BOOL OnApply() {
        OnOK();
        return TRUE;
    }
    virtual void OnReset() { OnCancel(); }
    // A page never ends a dialog: the sheet owns OK and Cancel.
    void OnOK() override {}
    void OnCancel() override {}

    bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    friend class CPropertySheet;
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnPageNotify(const NMHDR& header, LRESULT& result);

    bool m_bFirstSetActive = true;
};

// Runs modally with OK, Cancel, Apply (never enabled: no page reports a
// change) and Help when the application handles ID_HELP.
class CPropertySheet : public CWnd {
  public:
    CPropertySheet(const char* caption, CWnd* pParentWnd = nullptr, UINT selectPage = 0);

    // The pages show in the order they are added.
    void AddPage(CPropertyPage* page);
    // IDOK when closed with OK, else IDCANCEL.
    INT_PTR DoModal();

  private:
    static const int kMaxPages = 8;

    CString m_strCaption;
    CWnd* m_pParentWnd;
    UINT m_nStartPage;
    CPropertyPage* m_pages[kMaxPages] = {};
    int m_nPages = 0;
};

#include "PropertySheet.h"

#include "App.h"

CPropertyPage::CPropertyPage(UINT templateId) : CDialog(templateId, nullptr) {}

BOOL CPropertyPage::OnSetActive() {
    // On creation the dialog's own start has loaded the controls already.
    if (m_bFirstSetActive) {
        m_bFirstSetActive = false;
        return TRUE;
    }
    return UpdateData(FALSE);
}

bool CPropertyPage::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NOTIFY && OnPageNotify(*reinterpret_cast<const NMHDR*>(lParam), result))
        return true;
    return CDialog::OnDialogMessage(message, wParam, lParam, result);
}

bool CPropertyPage::OnPageNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_SETACTIVE:
        result = OnSetActive() ? 0 : -1;
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE; // TRUE keeps the page up
        return true;
    case PSN_APPLY:
        result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_RESET:
        OnReset();
        return true;
    case PSN_HELP:
        // As a Help button on the page would: the command goes to the page,
        // then to the application.
        SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, BN_CLICKED));
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A page starts with its PROPSHEETPAGE, which carries our object.
    if (message == WM_INITDIALOG)
        lParam = reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam;
    return DialogProc(window, message, wParam, lParam);
}

CPropertySheet::CPropertySheet(const char* caption, CWnd* pParentWnd, UINT selectPage)
    : m_strCaption(caption), m_pParentWnd(pParentWnd), m_nStartPage(selectPage) {}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (m_nPages == kMaxPages)
        return;
    m_pages[m_nPages++] = page;
}

INT_PTR CPropertySheet::DoModal() {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    bool help = AfxGetApp() && AfxGetApp()->HandlesCommand(ID_HELP, 0);
    PROPSHEETPAGEA pages[kMaxPages] = {};
    for (int i = 0; i < m_nPages; ++i) {
        pages[i].dwSize = sizeof(pages[i]); // the platform steps through the array by it
        pages[i].dwFlags = PSP_DEFAULT | (help ? PSP_HASHELP : 0);
        pages[i].hInstance = AfxGetResourceHandle();
        pages[i].pszTemplate = MAKEINTRESOURCEA(m_pages[i]->m_nIDTemplate);
        pages[i].pfnDlgProc = CPropertyPage::PageProc;
        pages[i].lParam = (LPARAM)m_pages[i];
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | (help ? PSH_HASHELP : 0);
    header.hwndParent = AfxGetSafeOwner(m_pParentWnd);
    header.hInstance = AfxGetResourceHandle();
    header.pszCaption = m_strCaption;
    header.nPages = (UINT)m_nPages;
    header.nStartPage = m_nStartPage;
    header.ppsp = pages;
    INT_PTR result = PropertySheetA(&header);
    return result > 0 ? IDOK : IDCANCEL;
}

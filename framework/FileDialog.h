// The platform's common Open and Save dialogs.
#pragma once

#include "Wnd.h"

#include <commdlg.h>

class CFileDialog {
  public:
    // filter: "label|pattern|label|pattern|", as the framework writes it;
    // defExt must outlive the dialog.
    CFileDialog(BOOL bOpenFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK once the user has chosen a file; IDCANCEL on cancel or error.
    INT_PTR DoModal();
    // The chosen file with its folder.
    CString GetPathName() const { return m_szFileName; }

    // Set lpstrInitialDir and the like here before DoModal.
    OPENFILENAMEA m_ofn;

  private:
    bool m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    CString m_strFilter; // NUL-separated, ending in two NULs
    char m_szFileName[MAX_PATH];
};

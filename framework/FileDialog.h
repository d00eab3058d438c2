// The platform's common Open and Save dialogs, in UTF-16: a chosen name
// comes back whole, whether CP932 can spell it or not.
#pragma once

#include "Wnd.h"

#include <commdlg.h>

class CFileDialog {
  public:
    // filter: "label|pattern|label|pattern|", as the framework writes it.
    CFileDialog(BOOL bOpenFileDialog, const char* defExt = nullptr, const char* fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* filter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK once the user has chosen a file; IDCANCEL on cancel or error.
    INT_PTR DoModal();
    // The chosen file with its folder.
    const wchar_t* GetPathName() const { return m_szFileName; }
    void SetInitialDir(const char* folder);

    // Set flags and the like here before DoModal.
    OPENFILENAMEW m_ofn;

  private:
    bool m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    wchar_t m_szFilter[256]; // NUL-separated, ending in two NULs
    wchar_t m_szDefExt[16];  // as OPENFILENAME takes it: at most three characters
    wchar_t m_szInitialDir[MAX_PATH];
    wchar_t m_szFileName[MAX_PATH];
};

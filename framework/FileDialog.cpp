#include "FileDialog.h"

#include "App.h"

namespace {
// The bars become NULs; a bar that is the second byte of a double-byte
// character stays.
CString NulSeparated(const char* filter) {
    CString result(filter);
    int length = result.GetLength();
    char* bytes = result.GetBuffer(length);
    for (int i = 0; i < length; ++i) {
        if (IsDBCSLeadByte((BYTE)bytes[i]))
            ++i;
        else if (bytes[i] == '|')
            bytes[i] = '\0';
    }
    result.ReleaseBuffer(length);
    return result;
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* defExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog != FALSE), m_pParentWnd(pParentWnd),
      m_szFileName() {
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof(m_szFileName);
    m_ofn.Flags = flags;
    m_ofn.lpstrDefExt = defExt;
    if (fileName)
        lstrcpynA(m_szFileName, fileName, sizeof(m_szFileName));
    if (filter) {
        m_strFilter = NulSeparated(filter);
        m_ofn.lpstrFilter = m_strFilter;
    }
}

INT_PTR CFileDialog::DoModal() {
    // Loaded on first use and kept, not at start: the dialogs' library
    // brings the print spooler with it, and most runs never open a file dialog.
    typedef BOOL(WINAPI * FileNameProc)(OPENFILENAMEA*);
    static HMODULE library = LoadLibraryA("comdlg32.dll");
    FileNameProc proc =
        library ? (FileNameProc)(void*)GetProcAddress(
                      library, m_bOpenFileDialog ? "GetOpenFileNameA" : "GetSaveFileNameA")
                : nullptr;
    if (!proc)
        return IDCANCEL;
    m_ofn.hwndOwner = AfxGetSafeOwner(m_pParentWnd);
    return proc(&m_ofn) ? IDOK : IDCANCEL;
}

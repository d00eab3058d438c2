#include "FileDialog.h"

#include "App.h"
#include "LateBound.h"

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

// CP932 bytes, NULs inside and the terminator included, into the buffer;
// what does not fit is left out whole.
void Widen(const char* text, int bytes, wchar_t* buffer, int capacity) {
    buffer[0] = L'\0';
    if (!MultiByteToWideChar(CP_ACP, 0, text, bytes + 1, buffer, capacity))
        buffer[0] = buffer[1] = L'\0';
}
} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* defExt, const char* fileName,
                         DWORD flags, const char* filter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog != FALSE), m_pParentWnd(pParentWnd), m_szFilter(),
      m_szDefExt(), m_szInitialDir(), m_szFileName() {
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = flags;
    if (defExt) {
        Widen(defExt, lstrlenA(defExt), m_szDefExt, 16);
        m_ofn.lpstrDefExt = m_szDefExt;
    }
    if (fileName)
        Widen(fileName, lstrlenA(fileName), m_szFileName, MAX_PATH);
    if (filter) {
        CString separated = NulSeparated(filter);
        Widen(separated, separated.GetLength(), m_szFilter, 255); // the last NUL stays
        m_ofn.lpstrFilter = m_szFilter;
    }
}

void CFileDialog::SetInitialDir(const char* folder) {
    Widen(folder, lstrlenA(folder), m_szInitialDir, MAX_PATH);
    m_ofn.lpstrInitialDir = m_szInitialDir;
}

INT_PTR CFileDialog::DoModal() {
    // Loaded on first use, not at start: the dialogs' library brings the
    // print spooler with it, and most runs never open a file dialog.
    auto proc = m_bOpenFileDialog ? LATE_BOUND(L"comdlg32.dll", GetOpenFileNameW)
                                  : LATE_BOUND(L"comdlg32.dll", GetSaveFileNameW);
    if (!proc)
        return IDCANCEL;
    m_ofn.hwndOwner = AfxGetSafeOwner(m_pParentWnd);
    return proc(&m_ofn) ? IDOK : IDCANCEL;
}

#include "CommentDlg.h"

#include "../res/resource.h"

CCommentDlg::CCommentDlg(CWnd* pParent) : CDialog(IDD_COMMENT, pParent) {}

CCommentDlg::~CCommentDlg() = default;

BOOL CCommentDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_nFolders > 1)
        SetWindowText(GetWindowText() + " (" + CString::FromInt(m_nFolders) + " 個のフォルダ)");
    return TRUE;
}

void CCommentDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_COMMENT, m_strComment);
    DDV_MaxChars(pDX, m_strComment, 255);
}

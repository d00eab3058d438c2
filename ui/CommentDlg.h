// The prompt for a folder's description, the tooltip the shell shows.
#pragma once

#include "../framework/Dialog.h"

class CCommentDlg : public CDialog {
  public:
    explicit CCommentDlg(CWnd* pParent = nullptr);
    ~CCommentDlg() override;

    // Filled by the caller before DoModal, read back after IDOK; at most 255
    // bytes.
    CString m_strComment;
    // How many folders take the description; the caption counts several.
    int m_nFolders = 1;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

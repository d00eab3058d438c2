// The prompt for a folder's description, the tooltip the shell shows.
#pragma once

#include "../base/WideText.h"
#include "../framework/Dialog.h"

class CCommentDlg : public CDialog {
  public:
    explicit CCommentDlg(CWnd* pParent = nullptr);
    ~CCommentDlg() override;

    // Filled by the caller before DoModal, read back after IDOK; in UTF-16,
    // so that a character CP932 cannot spell reaches the folder whole.
    WideText m_strComment;
    // How many folders take the description; the caption counts several.
    int m_nFolders = 1;
    // Set by the caller when several folders' descriptions differ: the
    // prompt starts empty and says that each keeps its own. After IDOK it
    // still holds when the user left the prompt so, untouched.
    bool m_bEachKeepsOwn = false;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCommentChange();

    DECLARE_MESSAGE_MAP()
};

// A description is at most 255 bytes as CP932 counts its characters; one
// that CP932 cannot spell counts as its UTF-16 bytes (2, or 4 for an
// emoji), as wide as a double-byte character or two. Text CP932 spells is
// held to the same limit as ever, and no description grows past what a
// CP932 one could be.
const int kMaxDescriptionBytes = 255;
int DescriptionBytes(const wchar_t* text);
// The longest start of the text within that limit, whole characters only:
// a longer stored description is offered cut, as ReadInfoTip cuts it, so OK
// never refuses what the prompt was filled with.
WideText CutDescription(const wchar_t* text);

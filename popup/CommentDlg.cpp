#include "CommentDlg.h"

#include "../framework/App.h"
#include "../res/resource.h"

#include <commctrl.h>
#include <stdlib.h>

namespace {
// Shown while the prompt for several folders with different descriptions
// is empty and untouched.
const wchar_t kEachKeepsOwn[] = L"(それぞれの説明のまま)";

// The edit's text in UTF-16, both ways; the dialog's controls are Unicode
// windows (CDialog::m_bUnicode), so nothing is lost on the way.
void ExchangeText(CDataExchange* pDX, int id, WideText& value) {
    if (pDX->m_bFailed)
        return;
    HWND edit = pDX->PrepareCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        SetWindowTextW(edit, CutDescription(value));
        return;
    }
    int length = GetWindowTextLengthW(edit);
    wchar_t* text = (wchar_t*)calloc((size_t)length + 1, sizeof(wchar_t));
    if (!text)
        abort(); // out of memory: nothing sensible is left to do
    GetWindowTextW(edit, text, length + 1);
    value = WideText(text);
    free(text);
}

void CheckDescriptionLength(CDataExchange* pDX, const WideText& value) {
    if (pDX->m_bFailed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        // A first fence, in characters; the check on OK counts bytes.
        SendMessageW(pDX->m_hWndLastControl, EM_LIMITTEXT, kMaxDescriptionBytes, 0);
        return;
    }
    if (DescriptionBytes(value) <= kMaxDescriptionBytes)
        return;
    AfxMessageBox(CString::FromInt(kMaxDescriptionBytes) + " 文字以内で入力してください。",
                  MB_ICONEXCLAMATION);
    pDX->Fail();
}
} // namespace

namespace {
// One character's UTF-16 units and its bytes by the description's rule.
int CharacterBytes(const wchar_t* at, int& units) {
    units = IS_HIGH_SURROGATE(at[0]) && IS_LOW_SURROGATE(at[1]) ? 2 : 1;
    wchar_t character[3] = {at[0], units == 2 ? at[1] : L'\0', L'\0'};
    CString cp932;
    return SpellInCp932(character, cp932) ? cp932.GetLength() : 2 * units;
}
} // namespace

int DescriptionBytes(const wchar_t* text) {
    CString cp932;
    if (SpellInCp932(text, cp932))
        return cp932.GetLength();
    int bytes = 0;
    for (const wchar_t* at = text; *at;) {
        int units = 1;
        bytes += CharacterBytes(at, units);
        at += units;
    }
    return bytes;
}

WideText CutDescription(const wchar_t* text) {
    if (DescriptionBytes(text) <= kMaxDescriptionBytes)
        return WideText(text);
    int bytes = 0, units = 1;
    const wchar_t* at = text;
    while (*at && bytes + CharacterBytes(at, units) <= kMaxDescriptionBytes) {
        bytes += CharacterBytes(at, units);
        at += units;
    }
    wchar_t* cut = (wchar_t*)calloc((size_t)(at - text) + 1, sizeof(wchar_t));
    if (!cut)
        abort(); // out of memory: nothing sensible is left to do
    wcsncpy(cut, text, (size_t)(at - text));
    WideText result(cut);
    free(cut);
    return result;
}

BEGIN_MESSAGE_MAP(CCommentDlg, CDialog)
ON_CONTROL(EN_CHANGE, IDC_COMMENT, OnCommentChange)
END_MESSAGE_MAP()

CCommentDlg::CCommentDlg(CWnd* pParent) : CDialog(IDD_COMMENT, pParent) {
    m_bUnicode = true;
}

CCommentDlg::~CCommentDlg() = default;

BOOL CCommentDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_nFolders > 1)
        SetWindowText(GetWindowText() + " (" + CString::FromInt(m_nFolders) + " 個のフォルダ)");
    // Shown with the focus in the edit too, until the user types.
    if (m_bEachKeepsOwn)
        SendDlgItemMessageW(m_hWnd, IDC_COMMENT, EM_SETCUEBANNER, TRUE, (LPARAM)kEachKeepsOwn);
    return TRUE;
}

// Once the user has changed the text, the field stands for what it shows:
// emptied again, it empties every description, so the hint goes.
void CCommentDlg::OnCommentChange() {
    HWND edit = GetDlgItem(m_hWnd, IDC_COMMENT);
    if (m_bEachKeepsOwn && SendMessageW(edit, EM_GETMODIFY, 0, 0))
        SendMessageW(edit, EM_SETCUEBANNER, TRUE, (LPARAM)L"");
}

void CCommentDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    ExchangeText(pDX, IDC_COMMENT, m_strComment);
    CheckDescriptionLength(pDX, m_strComment);
    if (pDX->m_bSaveAndValidate && !pDX->m_bFailed && m_bEachKeepsOwn)
        m_bEachKeepsOwn =
            !*m_strComment && !SendDlgItemMessageW(m_hWnd, IDC_COMMENT, EM_GETMODIFY, 0, 0);
}

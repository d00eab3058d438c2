#include "Dialog.h"

#include "App.h"

namespace {
// What the platform expects back from a dialog procedure for messages whose
// result is not passed through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}
} // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = GetDlgItem(m_pDlgWnd->m_hWnd, id);
    return m_hWndLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (!m_hWndLastControl)
        return;
    SetFocus(m_hWndLastControl);
    SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->m_bFailed || control.m_hWnd)
        return;
    control.Attach(pDX->PrepareCtrl(id));
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
    if (pDX->m_bFailed)
        return;
    HWND edit = pDX->PrepareCtrl(id);
    if (!pDX->m_bSaveAndValidate) {
        SetWindowTextA(edit, value);
        return;
    }
    int length = GetWindowTextLengthA(edit);
    char* buffer = value.GetBuffer(length);
    int copied = GetWindowTextA(edit, buffer, length + 1);
    value.ReleaseBuffer(copied);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars) {
    if (pDX->m_bFailed)
        return;
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_hWndLastControl)
            SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, (WPARAM)maxChars, 0);
        return;
    }
    if (value.GetLength() <= maxChars)
        return;
    AfxMessageBox(CString::FromInt(maxChars) + " 文字以内で入力してください。", MB_ICONEXCLAMATION);
    pDX->Fail();
}

CDialog::CDialog(UINT templateId, CWnd* pParentWnd)
    : m_nIDTemplate(templateId), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    if (m_bUnicode)
        return DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                               AfxGetSafeOwner(m_pParentWnd), DialogProc, (LPARAM)this);
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                           AfxGetSafeOwner(m_pParentWnd), DialogProc, (LPARAM)this);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

bool CDialog::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    MSG outer = m_current;
    m_current.message = message;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
    bool handled = ProcessWindowMessage(message, wParam, lParam, &result);
    m_current = outer;
    if (handled)
        return true;
    if (message == WM_INITDIALOG) {
        result = OnInitDialog();
        return true;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return false;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    case ID_HELP:
        return AfxGetApp() && AfxGetApp()->OnCmdMsg(ID_HELP, 0);
    default:
        return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)self);
        self->Attach(window);
    } else {
        self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!self)
        return FALSE;

    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->Detach();
        CWinApp* app = AfxGetApp();
        if (app && app->m_pMainWnd == self) {
            app->m_pMainWnd = nullptr;
            PostQuitMessage(0);
        }
        return FALSE;
    }

    LRESULT result = 0;
    if (!self->OnDialogMessage(message, wParam, lParam, result))
        return FALSE;
    if (ReturnsResultDirectly(message))
        return (INT_PTR)result;
    SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return TRUE;
}

#include "SelectDlg.h"

#include "../framework/App.h"
#include "../res/resource.h"

BEGIN_MESSAGE_MAP(CSelectDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_SETCURSOR()
ON_WM_CTLCOLOR()
ON_STN_CLICKED(IDC_SLOT1, OnSlot1)
ON_STN_CLICKED(IDC_SLOT2, OnSlot2)
ON_STN_CLICKED(IDC_SLOT3, OnSlot3)
ON_STN_CLICKED(IDC_SLOT4, OnSlot4)
ON_STN_CLICKED(IDC_SLOT5, OnSlot5)
ON_STN_CLICKED(IDC_SLOT6, OnSlot6)
ON_STN_CLICKED(IDC_SLOT7, OnSlot7)
ON_STN_CLICKED(IDC_STANDARD, OnStandard)
ON_STN_CLICKED(IDC_CANCEL_ITEM, OnCancelItem)
ON_STN_CLICKED(IDC_SETTINGS, OnSettings)
ON_STN_CLICKED(IDC_OTHER, OnOther)
END_MESSAGE_MAP()

CSelectDlg::CSelectDlg(CWnd* pParent) : CDialog(IDD_SELECT, pParent) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CSelectDlg::~CSelectDlg() = default;

void CSelectDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CANCEL_ITEM, m_ctlCancelItem);
    DDX_Control(pDX, IDC_SETTINGS, m_ctlSettings);
    DDX_Control(pDX, IDC_ICON_OTHER, m_ctlIconOther);
    DDX_Control(pDX, IDC_ICON_SLOT7, m_ctlIconSlot7);
    DDX_Control(pDX, IDC_ICON_SLOT6, m_ctlIconSlot6);
    DDX_Control(pDX, IDC_ICON_SLOT5, m_ctlIconSlot5);
    DDX_Control(pDX, IDC_ICON_SLOT4, m_ctlIconSlot4);
    DDX_Control(pDX, IDC_ICON_SLOT3, m_ctlIconSlot3);
    DDX_Control(pDX, IDC_ICON_SLOT2, m_ctlIconSlot2);
    DDX_Control(pDX, IDC_ICON_SLOT1, m_ctlIconSlot1);
    DDX_Control(pDX, IDC_ICON_STANDARD, m_ctlIconStandard);
    DDX_Control(pDX, IDC_OTHER, m_ctlOther);
    DDX_Control(pDX, IDC_SLOT7, m_ctlSlot7);
    DDX_Control(pDX, IDC_SLOT6, m_ctlSlot6);
    DDX_Control(pDX, IDC_SLOT5, m_ctlSlot5);
    DDX_Control(pDX, IDC_SLOT4, m_ctlSlot4);
    DDX_Control(pDX, IDC_SLOT3, m_ctlSlot3);
    DDX_Control(pDX, IDC_SLOT2, m_ctlSlot2);
    DDX_Control(pDX, IDC_SLOT1, m_ctlSlot1);
    DDX_Control(pDX, IDC_STANDARD, m_ctlStandard);
}

BOOL CSelectDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // DS_SYSMODAL makes the popup topmost on Windows but not under Wine.
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
}

void CSelectDlg::OnCancelItem() {
    Default();
    CDialog::OnCancel();
}

// Still to come: the rows' icons and hover highlight, and the apply handlers.
void CSelectDlg::OnPaint() { Default(); }

HCURSOR CSelectDlg::OnQueryDragIcon() { return (HCURSOR)m_hIcon; }

BOOL CSelectDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

HBRUSH CSelectDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CSelectDlg::OnStandard() {}

void CSelectDlg::ApplySlot(int) {}

#include "PropPage1.h"

#include "IconFileDialog.h"
#include "../base/Settings.h"
#include "../res/resource.h"

#include <shellapi.h>

namespace {
struct RowIds {
    int icon;
    int text;
};
const RowIds kRowIds[] = {
    {IDC_ROW_ICON1, IDC_ROW_TEXT1}, {IDC_ROW_ICON2, IDC_ROW_TEXT2}, {IDC_ROW_ICON3, IDC_ROW_TEXT3},
    {IDC_ROW_ICON4, IDC_ROW_TEXT4}, {IDC_ROW_ICON5, IDC_ROW_TEXT5}, {IDC_ROW_ICON6, IDC_ROW_TEXT6},
    {IDC_ROW_ICON7, IDC_ROW_TEXT7},
};
const int kMaxRowTextBytes = 16;
const int kChangeableSlot = 1; // "変更..." sits on its row
} // namespace

BEGIN_MESSAGE_MAP(CPropPage1, CPropertyPage)
ON_WM_PAINT()
ON_BN_CLICKED(IDC_CHANGE_ICON, OnChangeIcon)
END_MESSAGE_MAP()

CPropPage1::CPropPage1() : CPropertyPage(IDD_PROPPAGE1) {}

CPropPage1::~CPropPage1() = default;

void CPropPage1::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    for (int row = 0; row < kRows; ++row)
        DDX_Control(pDX, kRowIds[row].icon, m_ctlRowIcon[row]);
    for (int row = 0; row < kRows; ++row) {
        DDX_Text(pDX, kRowIds[row].text, m_strRowText[row]);
        DDV_MaxChars(pDX, m_strRowText[row], kMaxRowTextBytes);
    }
}

void CPropPage1::OnPaint() {
    ScopedPaint paint(m_hWnd); // the page draws nothing of its own
    for (int row = 0; row < kRows; ++row) {
        int slot = row + 1;
        HICON icon = nullptr;
        ExtractIconExA(g_arrIconPath[slot], g_nIconIndex[slot], nullptr, &icon, 1);
        m_ctlRowIcon[row].SetIcon(icon);
        m_hRowIcon[row].Reset(icon); // frees the one shown until now
    }
}

void CPropPage1::OnChangeIcon() {
    CIconFileDialog dialog;
    CString path;
    if (dialog.DoModal() != IDOK || !dialog.ChosenPath(path))
        return;
    g_arrIconPath[kChangeableSlot] = path; // the slot keeps its icon index
    OnPaint();
}

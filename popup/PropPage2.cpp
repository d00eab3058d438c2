#include "PropPage2.h"

#include "../res/resource.h"

CPropPage2::CPropPage2() : CPropertyPage(IDD_PROPPAGE2) {}

CPropPage2::~CPropPage2() = default;

void CPropPage2::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    const int ids[kIcons] = {IDC_ROW_ICON1, IDC_ROW_ICON2, IDC_ROW_ICON3, IDC_ROW_ICON4,
                             IDC_ROW_ICON5, IDC_ROW_ICON6, IDC_ROW_ICON7};
    for (int i = 0; i < kIcons; ++i)
        DDX_Control(pDX, ids[i], m_ctlIcon[i]);
}

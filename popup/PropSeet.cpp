#include "PropSeet.h"

CPropSeet::CPropSeet(const char* caption, CWnd* pParentWnd, UINT selectPage)
    : CPropertySheet(caption, pParentWnd, selectPage) {
    AddPage(&m_pageIconSettings);
    AddPage(&m_pageOther);
}

CPropSeet::~CPropSeet() = default;

// The settings sheet behind the chooser's "設定...": "アイコンの設定" then
// "その他".
#pragma once

#include "PropPage1.h"
#include "PropPage2.h"

class CPropSeet : public CPropertySheet {
  public:
    CPropSeet(const char* caption, CWnd* pParentWnd = nullptr, UINT selectPage = 0);
    ~CPropSeet() override;

  private:
    CPropPage2 m_pageOther;
    CPropPage1 m_pageIconSettings;
};

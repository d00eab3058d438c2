// The settings sheet's "その他" page; its icon places stay empty.
#pragma once

#include "../framework/PropertySheet.h"

class CPropPage2 : public CPropertyPage {
  public:
    CPropPage2();
    ~CPropPage2() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

  private:
    static const int kIcons = 7;

    CStatic m_ctlIcon[kIcons];
};

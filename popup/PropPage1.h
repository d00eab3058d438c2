// The settings sheet's "アイコンの設定" page: the icons of slots 1 to 7, one
// row each, a short text per row that lasts while the sheet is open, and
// "変更..." to replace slot 1's icon file.
#pragma once

#include "../framework/PropertySheet.h"
#include "../framework/Scoped.h"

class CPropPage1 : public CPropertyPage {
  public:
    CPropPage1();
    ~CPropPage1() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;

    // Extracts the seven icons afresh, so a changed slot shows at once.
    void OnPaint();
    void OnChangeIcon();

    DECLARE_MESSAGE_MAP()

  private:
    static const int kRows = 7; // row r shows slot r, top to bottom

    CStatic m_ctlRowIcon[kRows];
    CString m_strRowText[kRows];
    ScopedIcon m_hRowIcon[kRows]; // what each icon control shows
};

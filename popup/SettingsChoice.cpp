// "設定...": the settings sheet.
#include "PropSeet.h"
#include "SelectDlg.h"

void CSelectDlg::OnSettings() {
    // The sheet changes the slot table itself; its result means nothing here.
    CPropSeet sheet("Vorelkinのプロパティ", nullptr, 0);
    sheet.DoModal();
}

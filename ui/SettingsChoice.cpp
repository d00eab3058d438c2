// "設定...": the settings sheet.
#include "SelectDlg.h"

void CSelectDlg::OnSettings() {}

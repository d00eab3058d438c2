// "その他...": any icon file chosen in an Open dialog.
#include "SelectDlg.h"

void CSelectDlg::OnOther() {}

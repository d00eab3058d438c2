// A folder's desktop.ini, its attributes and the optional icon copy.
#include "../ui/SelectDlg.h"

BOOL CSelectDlg::IconChange(CString, int, CString, int, CString) { return FALSE; }

CString CSelectDlg::ReadInfoTip(CString) { return CString(); }

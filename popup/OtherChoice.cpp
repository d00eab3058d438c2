// "その他...": any icon file chosen in an Open dialog, for this folder only.
#include "IconFileDialog.h"
#include "SelectDlg.h"
#include "ChoiceInHand.h"
#include "../folder/Refresh.h"
#include "../framework/App.h"

void CSelectDlg::OnOther() {
    ChoiceInHand choice;
    CIconFileDialog fileDialog;
    CString iconPath;
    // A refused name leaves the popup open for another choice, as a cancel does.
    if (fileDialog.DoModal() != IDOK || !fileDialog.ChosenPath(iconPath))
        return;

    int tipFlag = 1;
    WideText description;
    if (!AskDescription(tipFlag, description))
        return;
    choice.Made();

    // Index 0: the first icon of whatever file was chosen; no extension check.
    if (!ChangeEveryFolder(iconPath, 0, tipFlag, description))
        AfxMessageBox("アイコンの変更に失敗しました", MB_OK);
    PostRefreshKeys();
    SendRefreshCommands();
    CDialog::OnOK();
}

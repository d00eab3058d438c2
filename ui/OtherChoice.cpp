// "その他...": any icon file chosen in an Open dialog, for this folder only.
#include "CommentDlg.h"
#include "IconFileDialog.h"
#include "SelectDlg.h"
#include "../app/FolderCollector.h"
#include "../app/Settings.h"
#include "../folder/Refresh.h"
#include "../framework/App.h"

void CSelectDlg::OnOther() {
    ChoiceInHand choice;
    CCommentDlg prompt(nullptr);
    CIconFileDialog fileDialog;
    if (fileDialog.DoModal() != IDOK)
        return;

    prompt.m_strComment = SharedInfoTip();
    prompt.m_nFolders = g_targetFolders.Count();
    if (prompt.DoModal() != IDOK)
        return;
    choice.Made();

    CString description = prompt.m_strComment;
    // Index 0: the first icon of whatever file was chosen; no extension check.
    if (!ChangeEveryFolder(fileDialog.GetPathName(), 0, 1, description))
        AfxMessageBox("アイコンの変更に失敗しました", MB_OK);
    PostRefreshKeys();
    SendRefreshCommands();
    CDialog::OnOK();
}

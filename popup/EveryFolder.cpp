// The choices on every folder of the run.
#include "CommentDlg.h"
#include "SelectDlg.h"
#include "../base/Settings.h"
#include "../folder/FolderBatch.h"
#include "../folder/Refresh.h"
#include "../journal/Journal.h"

#include <wchar.h>

BOOL CSelectDlg::ChangeEveryFolder(CString iconPath, int iconIndex, int tipFlag,
                                   const WideText& description) {
    ActionRecorder action(ActionKind::kMark); // one action over every folder
    if (g_targetFolders.Count() <= 1)
        return IconChange(iconPath, iconIndex, g_strTargetFolder, tipFlag, description);
    FolderBatch batch;
    for (int i = 0; i < g_targetFolders.Count(); ++i)
        IconChange(iconPath, iconIndex, g_targetFolders.Path(i), tipFlag, description);
    SendRefreshCommands();
    batch.ReportFailures(); // its first line is the failure's own summary
    return TRUE;
}

bool CSelectDlg::SharedDescription(WideText& shared) {
    shared = ReadDescription(g_strTargetFolder);
    for (int i = 1; i < g_targetFolders.Count(); ++i) {
        if (wcscmp(ReadDescription(g_targetFolders.Path(i)), shared) != 0) {
            shared = WideText();
            return false;
        }
    }
    return true;
}

// As Explorer does for several items with different values: a prompt left
// empty and untouched changes none of them.
bool CSelectDlg::AskDescription(int& tipFlag, WideText& description) {
    CCommentDlg prompt(nullptr);
    prompt.m_bEachKeepsOwn = !SharedDescription(prompt.m_strComment);
    prompt.m_nFolders = g_targetFolders.Count();
    if (prompt.DoModal() != IDOK)
        return false;
    tipFlag = prompt.m_bEachKeepsOwn ? kKeepInfoTip : 1;
    description = prompt.m_strComment;
    return true;
}

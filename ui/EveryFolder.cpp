// The choices on every folder of the run.
#include "SelectDlg.h"
#include "../app/Settings.h"
#include "../folder/FolderBatch.h"
#include "../folder/Refresh.h"

BOOL CSelectDlg::ChangeEveryFolder(CString iconPath, int iconIndex, int tipFlag,
                                   CString description) {
    if (g_targetFolders.Count() <= 1)
        return IconChange(iconPath, iconIndex, g_strTargetFolder, tipFlag, description);
    FolderBatch batch;
    for (int i = 0; i < g_targetFolders.Count(); ++i)
        IconChange(iconPath, iconIndex, g_targetFolders.Path(i), tipFlag, description);
    SendRefreshCommands();
    batch.ReportFailures(); // its first line is the failure's own summary
    return TRUE;
}

CString CSelectDlg::SharedInfoTip() {
    CString tip = ReadInfoTip(g_strTargetFolder);
    for (int i = 1; i < g_targetFolders.Count(); ++i) {
        if (ReadInfoTip(g_targetFolders.Path(i)) != tip)
            return CString();
    }
    return tip;
}

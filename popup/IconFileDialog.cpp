#include "IconFileDialog.h"

#include "../base/Settings.h"
#include "../base/TargetFolders.h"

CIconFileDialog::CIconFileDialog()
    : CFileDialog(TRUE, nullptr, nullptr,
                  OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  "ｱｲｺﾝﾌｧｲﾙ(*.ico)|*.ico|") {
    SetInitialDir(g_strIconFolder);
}

bool CIconFileDialog::ChosenPath(CString& path) const {
    if (AnsiPathOf(GetPathName(), path))
        return true;
    // A volume without short names (8.3 names switched off) leaves none.
    WideText text(
        L"このアイコンファイルの名前は扱えません。Shift-JIS で書けず、短い名前もありません:\r\n");
    text += GetPathName();
    WideMessageBox(text);
    return false;
}

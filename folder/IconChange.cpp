// A folder's desktop.ini, its attributes and the optional icon copy.
#include "FileSteps.h"
#include "FolderBatch.h"
#include "FolderText.h"
#include "Refresh.h"

#include "../app/Settings.h"
#include "../app/WideText.h"
#include "../app/TextRules.h"
#include "../ui/SelectDlg.h"

#include <shlobj.h>

namespace {
const char kSection[] = ".ShellClassInfo";

// A failure's box: its text, then a path as the user knows it. Among
// several folders it is kept for the batch's one box instead.
void Report(const CString& folder, const char* text, const CString& path = CString()) {
    WideText message(text);
    message += g_targetFolders.NameOf(path);
    if (FolderBatch* batch = FolderBatch::Current())
        batch->Failed(folder, message);
    else
        WideMessageBox(message);
}

// What the steps leave for the general report and the refresh.
struct StepLog {
    explicit StepLog(const CString& folderPath) : folder(folderPath) {}

    const CString& folder;
    BOOL result = TRUE;
    // Taken at the failure itself: the boxes that follow overwrite it.
    DWORD lastError = ERROR_SUCCESS;
    bool wroteSomething = false;

    void Failed() {
        lastError = GetLastError();
        result = FALSE;
    }
};

void WriteKey(const CString& iniPath, const char* key, const CString& value,
              const char* failureText, StepLog& log) {
    if (SetStringINI(iniPath, kSection, key, OneLineValue(value))) {
        log.wroteSomething = true;
        return;
    }
    log.Failed();
    Report(log.folder, failureText);
}

void AddAttributeStep(const CString& path, DWORD bit, bool folder, StepLog& log) {
    if (folder ? AddFolderAttribute(path, bit) : AddAttribute(path, bit)) {
        log.wroteSomething = true;
        return;
    }
    log.Failed();
    Report(log.folder, "SetFileAttributesのｴﾗｰです", path);
}

// The folder is named in the first box; the system's own wording follows in a
// box of its own, with the platform's caption. A batch keeps the first
// failure of each folder only. Having no owner, the second box would leave
// the popup's rows clickable and could open behind the topmost popup.
// Task-modal, it disables the popup, which then steps out of the topmost
// windows (CSelectDlg::OnEnable); topmost, it stays above other programs'
// topmost windows where the platform honours that (Wine does not).
void ReportFailure(const CString& folderPath, DWORD error) {
    Report(folderPath, "IconChange()関数にてエラー発生 ", folderPath);
    if (!FolderBatch::Current())
        MessageBoxA(nullptr, SystemErrorText(error), nullptr,
                    MB_OK | MB_ICONINFORMATION | MB_TASKMODAL | MB_TOPMOST);
}
} // namespace

BOOL CSelectDlg::IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                            CString description) {
    // Without a folder the path would name desktop.ini in the drive's root.
    if (folderPath.IsEmpty()) {
        Report(folderPath, "フォルダが指定されていません");
        return FALSE;
    }
    CString iniPath = DesktopIniPath(folderPath);
    CString indexText = CString::FromInt(iconIndex);
    StepLog log(folderPath);

    // "標準" has no icon to copy.
    CString iconFile = iconPath;
    if (g_bIconCopy && !iconPath.IsEmpty()) {
        CString copyName = IconCopyName(iconPath);
        CString destination = folderPath + copyName;
        bool copied = false;
        if (!CopyIconFile(iconPath, destination, copied)) {
            Report(folderPath, "ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです");
            return FALSE;
        }
        // A file the user chose in the folder itself keeps its attributes:
        // only our own copy is hidden.
        log.wroteSomething = copied;
        if (copied && !AddAttribute(destination, FILE_ATTRIBUTE_HIDDEN))
            log.Failed(); // no box of its own: the general report follows
        iconFile = IconCopyReference(copyName);
    }

    WriteKey(iniPath, "ConfirmFileOp", "0", "ConfirmFileOpのｴﾗｰですSetStringINI", log);
    WriteKey(iniPath, "IconFile", iconFile, "IconFileのｴﾗｰですSetStringINI", log);
    WriteKey(iniPath, "IconIndex", indexText, "IconIndexのｴﾗｰですSetStringINI", log);
    if (g_bTipDelete || tipFlag == 1)
        WriteKey(iniPath, "InfoTip", description, "InfoTipのｴﾗｰですSetStringINI", log);
    AddAttributeStep(folderPath, FILE_ATTRIBUTE_SYSTEM, true, log);
    AddAttributeStep(iniPath, FILE_ATTRIBUTE_HIDDEN, false, log);

    if (!log.result)
        ReportFailure(folderPath, log.lastError);
    if (!FolderBatch::Current())
        SendRefreshCommands();
    // Current Explorer caches folder settings and often ignores F5 for a
    // changed desktop.ini; a change notice makes it read the file again.
    if (log.wroteSomething)
        SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHA | SHCNF_FLUSHNOWAIT, folderPath.GetString(),
                       nullptr);
    return log.result;
}

CString CSelectDlg::ReadInfoTip(CString folderPath) {
    if (folderPath.IsEmpty())
        return CString();
    CString tip;
    GetStringINI(DesktopIniPath(folderPath), kSection, "InfoTip", tip);
    // A description is at most 255 bytes, cut where no double-byte
    // character is split.
    return CutAtCharBoundary(tip, 255);
}

// Until the engine writes UTF-16: the description as CP932 spells it.
BOOL CSelectDlg::IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                            const WideText& description) {
    CString cp932;
    SpellInCp932(description, cp932);
    return IconChange(iconPath, iconIndex, folderPath, tipFlag, cp932);
}

WideText CSelectDlg::ReadDescription(CString folderPath) {
    return WideText(ReadInfoTip(folderPath));
}

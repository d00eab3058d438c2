// A folder's desktop.ini, its attributes and the optional icon copy.
#include "FileSteps.h"
#include "FolderBatch.h"
#include "FolderNotices.h"
#include "FolderText.h"
#include "Refresh.h"

#include "../base/IniFile.h"
#include "../base/Settings.h"
#include "../base/WideText.h"
#include "../base/WholeFile.h"
#include "../base/TextRules.h"
#include "../popup/SelectDlg.h"
#include "../journal/MarkRecord.h"

namespace {
const char kSection[] = ".ShellClassInfo";
// Enough for any user's own files of the icon's name.
const int kMaxCopyNumber = 99;

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

// The boxes of the steps taken under the folder's lock, shown once it is
// given back: a user reading one must not hold up another launch that marks
// the same folder.
class HeldReports {
  public:
    void Add(const char* text, const CString& path = CString()) {
        if (m_count < kMax)
            m_items[m_count++] = {text, path};
    }
    void Show(const CString& folder) {
        for (int i = 0; i < m_count; ++i)
            Report(folder, m_items[i].text, m_items[i].path);
        m_count = 0;
    }

  private:
    static const int kMax = 8; // the four keys or the copy, a stranded file, two attributes
    struct Item {
        const char* text;
        CString path;
    } m_items[kMax];
    int m_count = 0;
};

void AddAttributeStep(const CString& path, DWORD bit, bool folder, StepLog& log,
                      HeldReports& reports) {
    if (folder ? AddFolderAttribute(path, bit) : AddAttribute(path, bit)) {
        log.wroteSomething = true;
        return;
    }
    log.Failed();
    reports.Add("SetFileAttributesのｴﾗｰです", path);
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

// Our own earlier copy: hidden, and the file the folder's IconFile names.
bool IsOurCopy(const IniDocument& ini, const CString& folderPath, const CString& copyName) {
    CString iconFile;
    DWORD attributes = GetFileAttributesW(ExtendedPathOf(folderPath + copyName));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY) && ini.Get(kSection, "IconFile", iconFile) &&
           (lstrcmpiA(iconFile, IconCopyReference(copyName)) == 0 ||
            lstrcmpiA(iconFile, folderPath + copyName) == 0);
}

// Where the icon goes in the folder: under its own name, or the first free
// numbered one where the folder holds another file of that name, which is
// never overwritten or hidden. Our earlier copy is replaced; the icon file
// itself, chosen in the folder, is used as it stands (copy false). Empty
// when no name is left.
CString CopyNameIn(const IniDocument& ini, const CString& folderPath, const CString& iconPath,
                   bool& copy) {
    const CString copyName = IconCopyName(iconPath);
    for (int number = 1; number <= kMaxCopyNumber; ++number) {
        CString name = NumberedCopyName(copyName, number);
        copy = !IsSameFile(iconPath, folderPath + name);
        if (!copy ||
            GetFileAttributesW(ExtendedPathOf(folderPath + name)) == INVALID_FILE_ATTRIBUTES ||
            IsOurCopy(ini, folderPath, name))
            return name;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return CString();
}

// A write whose old file has left its name while the new text could not
// take it: the box names the temporary file that holds it, so the user can
// give it the name. Its name is the file's own and an ASCII ending.
void ReportStranded(const CString& path, const WideText& stranded, HeldReports& reports) {
    if (*stranded)
        reports.Add("新しい内容は次の一時ファイルに残っています。元の名前に戻してください:\r\n",
                    path + Utf8Of((const wchar_t*)stranded + wcslen(ExtendedPathOf(path))));
}

// The mark's key changes, made in memory in the order they were once
// written one by one, so the bytes stay those of that order.
bool EditKeys(IniDocument& ini, const CString& iconFile, const CString& indexText, bool writeTip,
              const WideText& description, const CString* cp932Description) {
    if (!ini.Loaded() || !ini.Remove(kSection, "IconResource") ||
        !ini.Set(kSection, "ConfirmFileOp", "0") ||
        !ini.Set(kSection, "IconFile", OneLineValue(iconFile)) ||
        !ini.Set(kSection, "IconIndex", indexText))
        return false;
    if (!writeTip)
        return true;
    // A description of CP932 bytes is stored byte for byte.
    if (cp932Description)
        return ini.Set(kSection, "InfoTip", OneLineValue(*cp932Description));
    return ini.SetWide(kSection, "InfoTip", WideOfUtf8(OneLineValue(Utf8Of(description))));
}

// Since Vista the shell reads IconResource before IconFile and IconIndex, so
// every mark removes it; XP never reads it.
BOOL Mark(const CString& iconPath, int iconIndex, const CString& folderPath, int tipFlag,
          const WideText& description, const CString* cp932Description) {
    // Without a folder the path would name desktop.ini in the drive's root.
    if (folderPath.IsEmpty()) {
        Report(folderPath, "フォルダが指定されていません");
        return FALSE;
    }
    const CString iniPath = DesktopIniPath(folderPath);
    // The whole mark under the file's lock: another launch marking the same
    // folder waits, so IconFile and IconIndex always come from one mark.
    IniFileLock lock(iniPath);
    if (!lock.Owned()) {
        Report(folderPath,
               "ほかの Vorelkin がこのフォルダの desktop.ini を書き込み中のため、"
               "変更しませんでした。しばらくしてからもう一度選んでください:\r\n",
               folderPath);
        return FALSE;
    }
    MarkRecord record(folderPath);
    IniDocument ini;
    ini.Load(iniPath);
    const DWORD loadError = GetLastError();
    record.Before(ini);
    StepLog log(folderPath);
    HeldReports reports;

    // "標準" has no icon to copy.
    CString iconFile = iconPath, destination;
    bool copy = false;
    StagedIconCopy staged;
    if (g_bIconCopy && !iconPath.IsEmpty()) {
        if (NamesDesktopIni(IconCopyName(iconPath))) {
            lock.Release();
            Report(folderPath,
                   "desktop.ini という名前のファイルはアイコンとしてコピーできません。"
                   "ほかのファイルを選んでください:\r\n",
                   iconPath);
            return FALSE;
        }
        CString copyName = CopyNameIn(ini, folderPath, iconPath, copy);
        destination = folderPath + copyName;
        if (copyName.IsEmpty() || (copy && !staged.Stage(iconPath, destination))) {
            lock.Release();
            Report(folderPath, "ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです");
            return FALSE;
        }
        iconFile = IconCopyReference(copyName);
        if (copy)
            record.CopyTo(copyName);
    }

    const bool writeTip = tipFlag == 1 || (g_bTipDelete && tipFlag != CSelectDlg::kKeepInfoTip);
    SetLastError(loadError);
    const bool saved = EditKeys(ini, iconFile, CString::FromInt(iconIndex), writeTip, description,
                                cp932Description) &&
                       ini.Save(true); // a read-only desktop.ini stays read-only
    if (saved) {
        log.wroteSomething = true;
        // The copy only now, so that a mark that was not written leaves it.
        // A file the user chose in the folder itself keeps its attributes:
        // only our own copy is hidden.
        WideText stranded;
        if (copy && !staged.Commit(stranded)) {
            log.Failed();
            reports.Add("ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです");
            ReportStranded(destination, stranded, reports);
        } else if (copy && !AddAttribute(destination, FILE_ATTRIBUTE_HIDDEN)) {
            log.Failed(); // no box of its own: the general report follows
        }
    } else {
        // One write for all the keys: each of them failed.
        log.Failed();
        reports.Add("ConfirmFileOpのｴﾗｰですSetStringINI");
        reports.Add("IconFileのｴﾗｰですSetStringINI");
        reports.Add("IconIndexのｴﾗｰですSetStringINI");
        if (writeTip)
            reports.Add("InfoTipのｴﾗｰですSetStringINI");
        ReportStranded(iniPath, ini.Stranded(), reports);
    }
    AddAttributeStep(folderPath, FILE_ATTRIBUTE_SYSTEM, true, log, reports);
    AddAttributeStep(iniPath, FILE_ATTRIBUTE_HIDDEN, false, log, reports);
    if (log.wroteSomething)
        record.After(ini, saved);
    lock.Release();
    record.Write();
    reports.Show(folderPath);

    if (!log.result)
        ReportFailure(folderPath, log.lastError);
    if (!FolderBatch::Current())
        SendRefreshCommands();
    if (log.wroteSomething)
        NotifyFolderChanged(g_targetFolders.NameOf(folderPath));
    return log.result;
}
} // namespace

BOOL CSelectDlg::IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                            CString description) {
    return Mark(iconPath, iconIndex, folderPath, tipFlag, WideText(description), &description);
}

BOOL CSelectDlg::IconChange(CString iconPath, int iconIndex, CString folderPath, int tipFlag,
                            const WideText& description) {
    return Mark(iconPath, iconIndex, folderPath, tipFlag, description, nullptr);
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

// Each file is replaced whole, so no lock is needed to read one.
WideText CSelectDlg::ReadDescription(CString folderPath) {
    if (folderPath.IsEmpty())
        return WideText();
    IniDocument ini;
    if (!ini.Load(DesktopIniPath(folderPath)))
        return WideText();
    return ini.GetWide(kSection, "InfoTip");
}

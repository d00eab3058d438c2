#include "ListCommand.h"

#include "CommandRules.h"
#include "ScriptOutput.h"
#include "../base/SettingsFile.h"
#include "../base/Items.h"
#include "../base/OsVersion.h"
#include "../base/Settings.h"
#include "../base/TargetFolders.h"

#include "../framework/Scoped.h"
#include "../overview/FolderMarks.h"

namespace {
// Keeps every mark the scan reports.
class CollectedMarks : public MarkScanSink {
  public:
    CollectedMarks() = default;
    CollectedMarks(const CollectedMarks&) = delete;
    CollectedMarks& operator=(const CollectedMarks&) = delete;
    ~CollectedMarks() {
        for (const FolderMark* mark : m_marks)
            delete mark;
    }
    void Found(const FolderMark& mark) override { m_marks.Add(new FolderMark(mark)); }
    const FolderMark** Marks() { return m_marks.begin(); }
    int Count() const { return m_marks.Count(); }

  private:
    Items<const FolderMark*> m_marks;
};

} // namespace

void LoadScriptSettings() {
    // No box here; the statuses are matched against the defaults then, which
    // the script is told of.
    LoadSettings(ExecutablePath(false), GetOSVersion(), false);
    if (g_strIniPath.IsEmpty())
        Tell(L"実行ファイルのフォルダの名前は Shift-JIS で書けず、短い名前もないので、"
             L"既定の設定で動きます",
             L"");
    else if (!g_bSettingsWritable)
        Tell(L"設定ファイルを読めなかったので、既定の設定で動きます: ", WideText(g_strIniPath));
}

int ListMarks(const wchar_t* folder, const wchar_t* file) {
    WideText root = ExtendedFolderPathOf(folder);
    DWORD attributes = *(const wchar_t*)root ? GetFileAttributesW(root) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Tell(kNoFolderText, folder);
        return kListNoFolder;
    }
    if (file && !*file) {
        Tell(L"/export の後に書き出すファイルの名前がありません", L"");
        return kListNotWritten;
    }
    LoadScriptSettings();
    CollectedMarks marks;
    ScanFolderMarks(root, CurrentSlotIcons(), marks);
    SortMarksByFolder(marks.Marks(), marks.Count());
    if (!file) {
        // The export's text without its byte-order mark.
        PrintResult(WideOfUtf8(MarksAsText(marks.Marks(), marks.Count()).GetString() + 3));
        return kListDone;
    }
    if (!WriteMarksFile(file, marks.Marks(), marks.Count())) {
        Tell(L"ファイルに書き込めません: ", file, GetLastError());
        return kListNotWritten;
    }
    return kListDone;
}

ListMode RunListCommand(const wchar_t* commandLine, int& exitCode, WideText& windowFolder) {
    WordList arguments(commandLine);
    if (!arguments.Is(1, L"/list"))
        return ListMode::kNone;
    if (arguments.Is(2, L"/export")) {
        Tell(L"/list の後に一覧にするフォルダの名前がありません", L"");
        exitCode = kListNoFolder;
        return ListMode::kExported;
    }
    if (arguments.Is(3, L"/export")) {
        exitCode = ListMarks(arguments[2], arguments[4]);
        return ListMode::kExported;
    }
    if (arguments.Count() <= 2)
        return ListMode::kWindow;
    WideText full = ExtendedFolderPathOf(arguments[2]);
    windowFolder = *(const wchar_t*)full ? ShownPathOf(full) : WideText(arguments[2]);
    return ListMode::kWindow;
}

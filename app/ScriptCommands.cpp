#include "ScriptCommands.h"

#include "CommandFolders.h"
#include "ListCommand.h"
#include "ScriptOutput.h"
#include "../base/Settings.h"
#include "../base/WholeFile.h"

#include "../framework/Scoped.h"
#include "../overview/FolderMarks.h"
#include "../popup/SelectDlg.h"
#include "../journal/Journal.h"
#include "../undo/Restore.h"

#include <string.h>

namespace {
const DWORD kMaxImportBytes = 64 * 1024 * 1024;

const wchar_t kUsage[] =
    L"Vorelkin: フォルダにアイコンと説明を付けます。\r\n"
    L"\r\n"
    L"  Vorelkin /set <状態> <フォルダ>... [/desc <説明>]\r\n"
    L"      状態: 標準 必須 重要 進行中 未処理 個人用 計画1 計画2、または 1 から 7\r\n"
    L"  Vorelkin /set その他 <アイコンファイル>[,<番号>] <フォルダ>... [/desc <説明>]\r\n"
    L"      /desc がなければ、各フォルダの説明はそのまま。/desc \"\" か /desc: で説明を消します\r\n"
    L"  Vorelkin /get <フォルダ>...\r\n"
    L"  Vorelkin /list <フォルダ> [/export <ファイル>]\r\n"
    L"  Vorelkin /import <ファイル> [/from <元のフォルダ> /to <新しいフォルダ>]\r\n"
    L"  Vorelkin /undo [<フォルダ>...]  /redo [<フォルダ>...]\r\n"
    L"      フォルダごとに一つ前へ・一つ先へ。フォルダなしで、最後の操作全体を\r\n"
    L"  Vorelkin /unmark <フォルダ>... [/s]\r\n"
    L"      Vorelkin が最初に変える前の状態へ。/s で、下の印のあるフォルダもすべて\r\n"
    L"  Vorelkin [<フォルダ>...]        ポップアップを開きます\r\n"
    L"\r\n"
    L"終了コード: 0 完了  1 印のないフォルダ (/get)  2 見つからない・フォルダでない・扱えない\r\n"
    L"            3 書き込めない  4 コマンドラインの誤り (何も変えません)\r\n"
    L"            5 そのまま: 元に戻す・やり直す変更がないか、Vorelkin が書いたキーを\r\n"
    L"              ほかのプログラムが変えた\r\n";

// The tip flag of the popup's choice: the description given, or each
// folder's own kept; 標準 without one follows TIP_DELETE as its row does.
int TipFlagOf(const ScriptCommand& command) {
    if (command.describe)
        return 1;
    return command.status == kStatusStandard ? 0 : CSelectDlg::kKeepInfoTip;
}

// The icon of その他 as the -A calls take it; false, told, when it names no
// file the engine can use.
bool FindIconFile(const wchar_t* word, CString& path) {
    WideText full = ShownPathOf(ExtendedFolderPathOf(word));
    DWORD attributes = *(const wchar_t*)full ? GetFileAttributesW(ExtendedFolderPathOf(full))
                                             : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Tell(L"アイコンファイルが見つかりません: ", word);
        return false;
    }
    if (AnsiPathOf(full, path))
        return true;
    Tell(L"このアイコンファイルの名前は扱えません。Shift-JIS で書けず、短い名前もありません: ",
         full);
    return false;
}

int RunSet(const ScriptCommand& command) {
    CString iconPath;
    int iconIndex = command.iconIndex;
    if (command.status == kStatusOther && !FindIconFile(command.iconFile, iconPath))
        return kCommandBadLine;
    LoadScriptSettings();
    if (command.status != kStatusOther && command.status != kStatusStandard) {
        iconPath = g_arrIconPath[command.status];
        iconIndex = g_nIconIndex[command.status];
    }
    CommandOutcome outcome;
    {
        ActionRecorder action(ActionKind::kMark); // the command is one action
        FolderMarking marking(outcome);
        for (int i = 0; i < command.folders.Count(); ++i)
            marking.Mark(command.folders[i], iconPath, iconIndex, TipFlagOf(command),
                         command.description);
    }
    return outcome.Code();
}

// The export's line of a folder, without the header; a folder without a mark
// has its status and description fields empty.
int RunGet(const ScriptCommand& command) {
    LoadScriptSettings();
    const SlotIcons slots = CurrentSlotIcons();
    CommandOutcome outcome;
    for (int i = 0; i < command.folders.Count(); ++i) {
        WideText name;
        if (!FindFolder(command.folders[i], name)) {
            outcome.Note(kCommandNoFolder);
            continue;
        }
        FolderMark mark;
        if (ReadFolderMark(name, slots, mark)) {
            mark.folder = name;
            const FolderMark* one = &mark;
            CString text = MarksAsText(&one, 1);
            PrintResult(WideOfUtf8(strstr(text, "\r\n") + 2));
            continue;
        }
        WideText line(L"\t");
        line += name;
        line += L"\t\t\r\n";
        PrintResult(line);
        outcome.Note(kCommandNoMark);
    }
    return outcome.Code();
}

int RunImport(const ScriptCommand& command) {
    CString bytes;
    if (!ReadWholeFile(ExtendedFolderPathOf(command.file), bytes, kMaxImportBytes)) {
        Tell(L"読み込めません: ", command.file, GetLastError());
        return kCommandBadLine;
    }
    ExportRows rows;
    WideText problem;
    if (!rows.Read(bytes, bytes.GetLength(), problem)) {
        problem += L": ";
        Tell(problem, command.file);
        return kCommandBadLine;
    }
    const bool moves = *(const wchar_t*)command.from;
    const WideText to = moves ? ShownPathOf(ExtendedFolderPathOf(command.to)) : WideText();
    LoadScriptSettings();
    CommandOutcome outcome;
    ActionRecorder action(ActionKind::kMark);
    FolderMarking marking(outcome);
    for (int i = 0; i < rows.Count(); ++i) {
        const ExportRow& row = rows[i];
        WideText folder = moves ? MovedFolder(row.folder, command.from, to) : row.folder;
        if (row.status == kStatusOther) {
            Tell(L"その他 の行はアイコンが書き出されていないので付けられません: ", folder);
            outcome.Note(kCommandNoFolder);
            continue;
        }
        const bool standard = row.status == kStatusStandard;
        marking.Mark(folder, standard ? CString() : g_arrIconPath[row.status],
                     standard ? 0 : g_nIconIndex[row.status], 1, row.description);
    }
    return outcome.Code();
}
// The folders the words name, each found or told.
void FindFolders(const ScriptCommand& command, Items<WideText>& folders, CommandOutcome& outcome) {
    for (int i = 0; i < command.folders.Count(); ++i) {
        WideText name;
        if (FindFolder(command.folders[i], name))
            folders.Add(name);
        else
            outcome.Note(kCommandNoFolder);
    }
}

// Each folder not restored, one line under its reason.
int TellRestored(const RestoreReport& report, CommandOutcome& outcome) {
    if (report.journalUnreadable)
        Tell(L"変更の履歴を読めません: ", JournalFolder());
    for (const FolderResult& folder : report.folders) {
        switch (folder.result) {
        case RestoreResult::kDone:
            break;
        case RestoreResult::kNothing:
            Tell(L"元に戻す・やり直す変更がありません: ", folder.folder);
            outcome.Note(kCommandLeftAlone);
            break;
        case RestoreResult::kChanged:
            Tell(L"Vorelkin が書いたキーをほかのプログラムが変えたので、そのままにしました: ",
                 folder.folder);
            outcome.Note(kCommandLeftAlone);
            break;
        case RestoreResult::kMissing:
            Tell(kNoFolderText, folder.folder);
            outcome.Note(kCommandNoFolder);
            break;
        case RestoreResult::kFailed:
            Tell(L"書き込めません: ", folder.folder, folder.error);
            outcome.Note(kCommandNotWritten);
            break;
        }
    }
    return outcome.Code();
}

int RunTakeBack(const ScriptCommand& command, bool undo) {
    CommandOutcome outcome;
    RestoreReport report;
    if (!command.folders.Count()) {
        if (TakeBackLast(undo, report))
            return TellRestored(report, outcome);
        Tell(undo ? L"元に戻す操作がありません" : L"やり直す操作がありません", L"");
        return kCommandLeftAlone;
    }
    Items<WideText> folders;
    FindFolders(command, folders, outcome);
    TakeBackFolders(undo, folders, report);
    return TellRestored(report, outcome);
}

// Collects the marked folders a scan finds.
class MarkedFolders : public MarkScanSink {
  public:
    explicit MarkedFolders(Items<WideText>& folders) : m_folders(folders) {}
    void Found(const FolderMark& mark) override { m_folders.Add(mark.folder); }

  private:
    Items<WideText>& m_folders;
};

int RunUnmark(const ScriptCommand& command) {
    CommandOutcome outcome;
    Items<WideText> folders;
    FindFolders(command, folders, outcome);
    if (command.below) {
        LoadScriptSettings();
        Items<WideText> named;
        named = std::move(folders);
        MarkedFolders found(folders);
        for (const WideText& folder : named)
            ScanFolderMarks(folder, CurrentSlotIcons(), found);
    }
    RestoreReport report;
    UnmarkFolders(folders, report);
    return TellRestored(report, outcome);
}

void TellUnwritable(const wchar_t* text) {
    Tell(text, L"");
}
} // namespace

bool RunScriptCommand(const wchar_t* commandLine, bool console, int& exitCode) {
    ScriptCommand command;
    ReadScriptCommand(commandLine, command);
    ActionRecorder::s_tellUnwritable = TellUnwritable;
    switch (command.kind) {
    case CommandKind::kNone:
        return false;
    case CommandKind::kBad:
        Tell(command.problem, L"");
        exitCode = kCommandBadLine;
        return true;
    case CommandKind::kHelp:
        PrintResult(kUsage);
        exitCode = kCommandDone;
        return true;
    case CommandKind::kSet:
        exitCode = RunSet(command);
        return true;
    case CommandKind::kGet:
        exitCode = RunGet(command);
        return true;
    case CommandKind::kImport:
        exitCode = RunImport(command);
        return true;
    case CommandKind::kUndo:
    case CommandKind::kRedo:
        exitCode = RunTakeBack(command, command.kind == CommandKind::kUndo);
        return true;
    case CommandKind::kUnmark:
        exitCode = RunUnmark(command);
        return true;
    case CommandKind::kList:
        break;
    }
    if (!console)
        return false;
    WideText windowFolder;
    if (RunListCommand(commandLine, exitCode, windowFolder) == ListMode::kExported)
        return true;
    WordList words(commandLine);
    if (words.Count() <= 2)
        return false; // the window, after the folder picker
    exitCode = ListMarks(words[2], nullptr);
    return true;
}

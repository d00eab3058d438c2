#include "Restore.h"

#include "../journal/History.h"
#include "RestoreRule.h"

#include "../base/IniFile.h"
#include "../base/TargetFolders.h"
#include "../base/WholeFile.h"
#include "../folder/FileSteps.h"
#include "../folder/FolderNotices.h"
#include "../folder/FolderText.h"
#include "../folder/Refresh.h"
#include "../overview/FolderMarks.h"

#include <wchar.h>

namespace {
// The bits a mark may change on the folder; Hidden is the user's alone.
const DWORD kFolderBits = FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;

struct Copy {
    CString name;
    unsigned long long hash;
};

WideText CopyPath(const wchar_t* folder, const CString& name) {
    WideText path(folder);
    path += WideText(name);
    return path;
}

bool RemoveFile(const wchar_t* path) {
    const WideText extended = ExtendedPathOf(path);
    SetFileAttributesW(extended, FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(extended) != FALSE;
}

// The copy back as it was, only while it holds the bytes we left there.
void RestoreCopy(const wchar_t* folder, const IconCopyState& written, const IconCopyState& earlier,
                 const IconCopyState& now) {
    if (written.name.IsEmpty())
        return;
    const bool ours = written.present ? now.present && now.hash == written.hash : !now.present;
    if (!ours)
        return;
    const WideText path = CopyPath(folder, written.name);
    // The first state's copy may be another file (an unmark after several
    // marks): this one then was not there.
    if (!earlier.present || lstrcmpiA(earlier.name, written.name) != 0) {
        if (now.present)
            RemoveFile(path);
        return;
    }
    if (!(now.present && now.hash == earlier.hash) &&
        !(earlier.bytesKept && WriteWholeFile(path, earlier.bytes)))
        return;
    SetFileAttributesW(ExtendedPathOf(path), earlier.attributes);
}

// One action of restores: its journal steps and, at its end, one refresh.
class RestoreRun {
  public:
    RestoreRun(ActionKind kind, unsigned long long reverts) : m_recorder(kind, reverts) {}
    RestoreRun(const RestoreRun&) = delete;
    RestoreRun& operator=(const RestoreRun&) = delete;
    ~RestoreRun() {
        if (m_changed)
            SendRefreshCommands();
    }

    // Back from what the change wrote to what it found; without either, the
    // mark's keys taken off.
    RestoreResult Apply(const wchar_t* folder, const FolderState* written,
                        const FolderState* earlier, const Items<Copy>& made,
                        unsigned long long reverts, DWORD& error);

  private:
    ActionRecorder m_recorder;
    FolderNotices m_notices;
    bool m_changed = false;
};

RestoreResult RestoreRun::Apply(const wchar_t* folder, const FolderState* written,
                                const FolderState* earlier, const Items<Copy>& made,
                                unsigned long long reverts, DWORD& error) {
    error = NO_ERROR;
    CString ansi;
    const DWORD attributes = GetFileAttributesW(ExtendedPathOf(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !AnsiPathOf(folder, ansi))
        return RestoreResult::kMissing;
    // The lock the marks take, by the same name.
    IniFileLock lock(DesktopIniPath(ansi));
    if (!lock.Owned()) {
        error = ERROR_TIMEOUT;
        return RestoreResult::kFailed;
    }
    FolderState now;
    if (!ReadFolderState(folder, now)) {
        error = GetLastError();
        return RestoreResult::kFailed;
    }
    const CString copyName = written ? written->copy.name : CString();
    ReadCopyState(folder, copyName, true, now.copy);
    const IniBytesState current = {now.iniPresent, now.iniBytes};
    IniBytesState result;
    IniPlan plan = IniPlan::kKeys;
    if (written) {
        plan = PlanRestore(current, {written->iniPresent, written->iniBytes},
                           {earlier->iniPresent, earlier->iniBytes}, result);
        if (plan == IniPlan::kChanged)
            return RestoreResult::kChanged;
    } else if (!PlanUnmark(current, result)) {
        return RestoreResult::kDone; // no mark to take off
    }
    const WideText iniPath = IniPathOf(folder);
    if (result.present && (!now.iniPresent || result.bytes != now.iniBytes) &&
        !WriteWholeFile(iniPath, result.bytes)) {
        error = GetLastError();
        return RestoreResult::kFailed;
    }
    if (!result.present && now.iniPresent && !RemoveFile(iniPath)) {
        error = GetLastError();
        return RestoreResult::kFailed;
    }
    if (plan == IniPlan::kExact && result.present)
        SetFileAttributesW(ExtendedPathOf(iniPath), earlier->iniAttributes);
    // Exactly as it was: both bits. Otherwise the System bit goes back only
    // with desktop.ini gone; without a record, it is cleared only then.
    DWORD mask = plan == IniPlan::kExact ? kFolderBits : 0;
    if (!result.present)
        mask |= FILE_ATTRIBUTE_SYSTEM;
    const DWORD wanted = earlier ? earlier->folderAttributes : 0;
    const DWORD folderAttributes = (now.folderAttributes & ~mask) | (wanted & mask);
    if (folderAttributes != now.folderAttributes)
        SetFileAttributesW(ExtendedPathOf(folder), folderAttributes);
    if (written)
        RestoreCopy(folder, written->copy, earlier->copy, now.copy);
    for (const Copy& copy : made) {
        IconCopyState left;
        ReadCopyState(folder, copy.name, false, left);
        if (left.present && left.hash == copy.hash)
            RemoveFile(CopyPath(folder, copy.name));
    }
    FolderState after;
    ReadFolderState(folder, after);
    ReadCopyState(folder, copyName, false, after.copy);
    lock.Release();
    m_recorder.Step(folder, now, after, reverts);
    m_changed = true;
    NotifyFolderChanged(folder);
    return RestoreResult::kDone;
}

void Note(RestoreReport& report, const wchar_t* folder, RestoreResult result, DWORD error) {
    report.folders.Add({WideText(folder), result, error});
}

const Items<Copy> kNoCopies;
} // namespace

bool TakeBackLast(bool undo, RestoreReport& report) {
    History history;
    if (!history.Read()) {
        report.journalUnreadable = true;
        return false;
    }
    Items<const JournalStep*> steps;
    const JournalAction* action = history.NextAction(undo, steps);
    if (!action)
        return false;
    RestoreRun run(undo ? ActionKind::kUndo : ActionKind::kRedo, action->id);
    for (const JournalStep* step : steps) {
        DWORD error = NO_ERROR;
        RestoreResult result =
            run.Apply(step->folder, &step->after, &step->before, kNoCopies, step->action, error);
        Note(report, step->folder, result, error);
    }
    return true;
}

void TakeBackFolders(bool undo, const Items<WideText>& folders, RestoreReport& report) {
    History history;
    report.journalUnreadable = !history.Read();
    RestoreRun run(undo ? ActionKind::kUndo : ActionKind::kRedo, 0);
    for (const WideText& folder : folders) {
        FolderHistory* entry = history.Folder(folder);
        const Items<unsigned long long>* stack =
            entry ? (undo ? &entry->undo : &entry->redo) : nullptr;
        const JournalStep* step =
            stack && stack->Count() ? history.StepOf(stack->Last(), folder) : nullptr;
        if (!step) {
            Note(report, folder, RestoreResult::kNothing, NO_ERROR);
            continue;
        }
        DWORD error = NO_ERROR;
        RestoreResult result =
            run.Apply(folder, &step->after, &step->before, kNoCopies, step->action, error);
        Note(report, folder, result, error);
    }
}

void UnmarkFolders(const Items<WideText>& folders, RestoreReport& report) {
    History history;
    report.journalUnreadable = !history.Read();
    RestoreRun run(ActionKind::kUnmark, 0);
    for (const WideText& folder : folders) {
        FolderHistory* entry = history.Folder(folder);
        DWORD error = NO_ERROR;
        if (!entry || !entry->steps.Count()) {
            RestoreResult result = run.Apply(folder, nullptr, nullptr, kNoCopies, 0, error);
            Note(report, folder, result, error);
            continue;
        }
        // Every copy a mark made, while it holds the bytes it made.
        Items<Copy> made;
        for (const JournalStep* step : entry->steps) {
            if (step->after.copy.present && !step->before.copy.present)
                made.Add({step->after.copy.name, step->after.copy.hash});
        }
        const FolderState& last = entry->steps.Last()->after;
        RestoreResult result = run.Apply(folder, &last, entry->first, made, 0, error);
        Note(report, folder, result, error);
    }
}

WideText RestoreProblems(const RestoreReport& report) {
    static const struct {
        RestoreResult result;
        const wchar_t* heading;
    } kHeadings[] = {
        {RestoreResult::kChanged, L"ほかのプログラムが変更したため、そのままにしたフォルダ:"},
        {RestoreResult::kMissing, L"名前が変わったか移動・削除されたフォルダ:"},
        {RestoreResult::kFailed, L"書き込めなかったフォルダ:"},
        {RestoreResult::kNothing, L"元に戻す変更がないフォルダ:"},
    };
    WideText text;
    for (const auto& heading : kHeadings) {
        bool first = true;
        for (const FolderResult& folder : report.folders) {
            if (folder.result != heading.result)
                continue;
            if (first)
                text += *(const wchar_t*)text ? L"\r\n\r\n" : L"";
            if (first)
                text += heading.heading;
            first = false;
            text += L"\r\n";
            text += folder.folder;
        }
    }
    return text;
}

WideText NextActionName(bool undo) {
    History history;
    Items<const JournalStep*> steps;
    const JournalAction* action = history.Read() ? history.NextAction(undo, steps) : nullptr;
    if (!action)
        return WideText();
    const JournalAction* origin = history.Origin(*action);
    WideText name(origin->kind == ActionKind::kUnmark ? L"印を外す"
                  : origin->kind == ActionKind::kMark ? L"標準"
                  : origin->kind == ActionKind::kUndo ? L"元に戻す"
                                                      : L"やり直し");
    for (const JournalStep& step : history.Contents().steps) {
        if (origin->kind != ActionKind::kMark || step.action != origin->id)
            continue;
        FolderMark mark;
        if (MarkFromIniBytes(step.after.iniBytes, step.after.iniBytes.GetLength(), step.folder,
                             CurrentSlotIcons(), mark))
            name = WideText(StatusWideName(mark.status));
        break;
    }
    wchar_t count[40];
    wsprintfW(count, L" (%d 個のフォルダ)", steps.Count());
    name += count;
    return name;
}

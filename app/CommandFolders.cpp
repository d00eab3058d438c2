#include "CommandFolders.h"

#include "ScriptOutput.h"
#include "../base/Settings.h"

#include "../folder/Refresh.h"
#include "../overview/FolderMarks.h"
#include "../popup/SelectDlg.h"
#include "../journal/Journal.h"

#include <stdlib.h>
#include <wchar.h>

namespace {
// Held while a folder is marked. The console's Ctrl+C handler runs on a
// thread of its own, before the default one that ends the process at once
// ("Console Control Handlers"): it waits for the folder in hand, then ends
// the process, so no file is left half written and no temporary file is left
// behind.
SRWLOCK g_marking = SRWLOCK_INIT;

BOOL WINAPI EndBetweenFolders(DWORD) {
    AcquireSRWLockExclusive(&g_marking);
    ActionRecorder::FlushAll(); // the marks made so far can be undone
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

} // namespace

bool FindFolder(const wchar_t* word, WideText& name) {
    WideText full = FullFolderName(word);
    const wchar_t* refused = RefusedFolderName(word);
    if (refused || (refused = RefusedFolderName(full))) {
        Tell(refused, word);
        return false;
    }
    WideText longPath = ExtendedFolderPathOf(full);
    DWORD attributes =
        *(const wchar_t*)longPath ? GetFileAttributesW(longPath) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Tell(kNoFolderText, word);
        return false;
    }
    name = ShownPathOf(longPath);
    return true;
}

FolderMarking::FolderMarking(CommandOutcome& outcome) : m_outcome(outcome) {
    SetConsoleCtrlHandler(EndBetweenFolders, TRUE);
}

FolderMarking::~FolderMarking() {
    if (m_marked)
        SendRefreshCommands();
    SetConsoleCtrlHandler(EndBetweenFolders, FALSE);
}

void FolderMarking::Failed(const CString&, const wchar_t* text) {
    if (!*(const wchar_t*)m_failure)
        m_failure = WideText(text);
}

void FolderMarking::Mark(const wchar_t* word, const CString& iconPath, int iconIndex, int tipFlag,
                         const WideText& description) {
    WideText name;
    CString path;
    if (!FindFolder(word, name)) {
        m_outcome.Note(kCommandNoFolder);
        return;
    }
    if (!AnsiPathOf(name, path)) {
        Tell(L"このフォルダの名前は扱えません。Shift-JIS で書けず、短い名前もありません: ", name);
        m_outcome.Note(kCommandNoFolder);
        return;
    }
    // The name the engine's texts and its change notice use; the folder in
    // hand alone, so that a long list is not searched for each one.
    g_targetFolders.Clear();
    g_targetFolders.AddSpelled(name, path);
    m_failure = WideText();
    AcquireSRWLockExclusive(&g_marking);
    m_marked = true;
    BOOL marked = CSelectDlg::IconChange(iconPath, iconIndex, path, tipFlag, description);
    ReleaseSRWLockExclusive(&g_marking);
    if (marked)
        return;
    WideText what(name);
    what += L": ";
    Tell(what, m_failure);
    m_outcome.Note(kCommandNotWritten);
}

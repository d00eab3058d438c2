// Undo, redo and taking a mark off, with the folder engine's own writes:
// the folder's lock, whole-file replacement, the change notice for each
// folder and one refresh pass for the action. Each is itself an action in
// the journal, so it can be taken back in turn.
#pragma once

#include "../base/Items.h"

#include "../base/WideText.h"

enum class RestoreResult {
    kDone,
    kNothing, // nothing to undo or redo
    kChanged, // a key Vorelkin wrote was changed since: left alone
    kMissing, // renamed, moved or deleted since, or not a folder
    kFailed,  // a write failed
};

struct FolderResult {
    WideText folder;
    RestoreResult result;
    DWORD error;
};

struct RestoreReport {
    Items<FolderResult> folders;
    bool journalUnreadable = false;
};

// The last action as a whole (Ctrl+Z, /undo), or the last one undone
// (Ctrl+Y, /redo); false when there is none.
bool TakeBackLast(bool undo, RestoreReport& report);
// Each folder one step back, or forward.
void TakeBackFolders(bool undo, const Items<WideText>& folders, RestoreReport& report);
// Each folder as it was before Vorelkin first changed it; without a record,
// its mark's keys taken off.
void UnmarkFolders(const Items<WideText>& folders, RestoreReport& report);

// One box's text for the folders not restored, each named under its reason;
// empty when every folder was.
WideText RestoreProblems(const RestoreReport& report);

// What Ctrl+Z or Ctrl+Y would take back: "重要 (200 個のフォルダ)"; empty
// when there is nothing.
WideText NextActionName(bool undo);

// The undo journal: every change Vorelkin makes to a folder, as the folder
// was before it and as the change left it, per user and per machine in
// %LOCALAPPDATA%\Vorelkin\undo.vrkj.
//
// The file: the 8 bytes "VRKJ" and the version (1, little-endian), then
// records appended one after another, each "VRKR", its payload's length,
// the payload's CRC-32, and the payload. A record cut short by a crash or a
// full disk fails its check and is skipped; reading goes on at the next
// record whose check holds, so nothing written before it is lost. A later
// version may add record types: unknown ones are skipped.
#pragma once

#include "FolderState.h"

#include "../base/WideText.h"

#include "../base/Items.h"

enum class ActionKind : unsigned char { kMark = 0, kUnmark = 1, kUndo = 2, kRedo = 3 };

struct JournalAction {
    unsigned long long id = 0;
    ActionKind kind = ActionKind::kMark;
    // Undo and redo: the action taken back, when it was taken back as a
    // whole (Ctrl+Z, /undo); 0 for one folder's step.
    unsigned long long reverts = 0;
    int steps = 0;
};

struct JournalStep {
    unsigned long long action = 0;
    // Undo and redo: the action whose step on this folder it took back.
    unsigned long long reverts = 0;
    WideText folder; // the full name as the user knows it
    FolderState before, after;
    int actionIndex = -1; // in JournalContents::actions, once read
};

// The journal's folder: the user's data folder (UserDataFolder); empty when
// the journal is off.
WideText JournalFolder();

// Every action and step the journal holds, in the order written, and the
// state of each folder before Vorelkin first changed it.
class JournalContents {
  public:
    // False when the journal cannot be read; a missing one reads as empty.
    bool Read();

    Items<JournalAction> actions;
    Items<JournalStep> steps;
    // Folders whose first steps were dropped to keep the journal small.
    Items<JournalStep> firstStates; // only folder and before

    const JournalAction* Action(unsigned long long id) const;
};

bool SameFolder(const wchar_t* first, const wchar_t* second);

// One user's action over any number of folders, written to the journal
// step by step. While one lives, the engine's marks are its steps; a mark
// made without one is an action of its own.
class ActionRecorder {
  public:
    explicit ActionRecorder(ActionKind kind, unsigned long long reverts = 0);
    ActionRecorder(const ActionRecorder&) = delete;
    ActionRecorder& operator=(const ActionRecorder&) = delete;
    ~ActionRecorder();

    static ActionRecorder* Current() { return s_current; }
    // Appends what every open action holds so far, before the process ends
    // between two folders (Ctrl+C).
    static void FlushAll();
    // Whether steps are recorded at all (the journal is not off).
    bool On() const { return m_on; }
    void Step(const wchar_t* folder, const FolderState& before, const FolderState& after,
              unsigned long long reverts = 0);

    // Told once per run that the journal cannot be written, instead of the
    // box: the commands' error line.
    static void (*s_tellUnwritable)(const wchar_t* text);

  private:
    void Flush();
    void Unwritable(DWORD error);

    static ActionRecorder* s_current;
    ActionRecorder* m_outer;
    ActionKind m_kind;
    unsigned long long m_reverts;
    unsigned long long m_id = 0;
    bool m_on = true;
    bool m_failed = false;
    CString m_pending; // records not yet appended
    WideText m_path;
};

// What the journal's records mean: for each folder the steps that can be
// undone and redone, and the same for whole actions (Ctrl+Z, Ctrl+Y).
#pragma once

#include "Journal.h"

struct FolderHistory {
    WideText folder;
    unsigned hash = 0;
    const FolderState* first = nullptr; // before Vorelkin first changed it
    Items<const JournalStep*> steps;    // oldest first
    // Actions whose step on the folder the next undo, or redo, takes back.
    Items<unsigned long long> undo, redo;
};

class History {
  public:
    // False when the journal cannot be read.
    bool Read();

    const JournalContents& Contents() const { return m_contents; }
    const Items<FolderHistory>& Folders() const { return m_folders; }
    FolderHistory* Folder(const wchar_t* folder);
    // The action the next Ctrl+Z (undo true) or Ctrl+Y takes back, and its
    // steps that still can be; null when there is none.
    const JournalAction* NextAction(bool undo, Items<const JournalStep*>& steps);
    // The action a step or action took back, followed to the first one:
    // the change an undo's menu item names.
    const JournalAction* Origin(const JournalAction& action) const;
    // The action's step on that folder.
    const JournalStep* StepOf(unsigned long long action, const wchar_t* folder);

  private:
    FolderHistory& Add(const wchar_t* folder);
    JournalContents m_contents;
    Items<FolderHistory> m_folders;
    Items<int> m_buckets; // index + 1 into m_folders, open addressing
    Items<unsigned long long> m_undo, m_redo;
};

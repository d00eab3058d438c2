// The folders a command names, found and marked with the popup's engine:
// the same bytes, the folder's lock, ICON_COPY and TIP_DELETE as set, and one
// refresh pass after all of them; each failure one line, never a box.
#pragma once

#include "CommandRules.h"

#include "../folder/FolderBatch.h"
#include "../framework/String.h"

// The folder a word names, full (a relative name made so here, "D:" its
// root) and as the user knows it; false, told in a line, for a name refused
// or a folder that is missing or no folder.
bool FindFolder(const wchar_t* word, WideText& name);

// One run of marks, a batch whose failures are lines. Ctrl+C ends the
// process between two folders, never inside one.
class FolderMarking : public FolderBatch {
  public:
    explicit FolderMarking(CommandOutcome& outcome);
    FolderMarking(const FolderMarking&) = delete;
    FolderMarking& operator=(const FolderMarking&) = delete;
    // The refresh pass for all the folders.
    ~FolderMarking() override;

    // Marks the folder the word names as the popup's choice does: the icon
    // (none for 標準) and the description, under the tip flag.
    void Mark(const wchar_t* word, const CString& iconPath, int iconIndex, int tipFlag,
              const WideText& description);

    void Failed(const CString& folder, const wchar_t* text) override;

  private:
    CommandOutcome& m_outcome;
    WideText m_failure; // the folder in hand's first
    bool m_marked = false;
};

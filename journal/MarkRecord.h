// The journal's step of one mark: the folder taken as it is under the
// folder's lock before the mark, and again after it.
#pragma once

#include "Journal.h"

#include "../base/IniFile.h"

class MarkRecord {
  public:
    // Starts an action of its own for a mark made outside one.
    explicit MarkRecord(const CString& folderPath);
    MarkRecord(const MarkRecord&) = delete;
    MarkRecord& operator=(const MarkRecord&) = delete;
    ~MarkRecord();

    // The folder as loaded: its attributes, desktop.ini's bytes as read.
    void Before(const IniDocument& ini);
    // The copy the mark will put in the folder.
    void CopyTo(const CString& copyName);
    // The folder as the mark left it: written is whether desktop.ini was.
    void After(const IniDocument& ini, bool written);
    // Appends the step, after the folder's lock is given back.
    void Write();

  private:
    ActionRecorder* m_own = nullptr;
    bool m_on;
    WideText m_folder;
    FolderState m_before, m_after;
    bool m_done = false;
};

// The folders a run marks, in order: each as the -A calls take it, and as
// the user knows it.
#pragma once

#include "WideText.h"

class TargetFolders {
  public:
    // Explorer offers a verb for up to 100 selected items.
    static const int kMax = 100;

    // Adds a folder named as the user knows it. A name CP932 cannot spell
    // goes by its short (8.3) form; without one the user is told, in one
    // box, and the folder is left out.
    bool Add(const wchar_t* name);
    int Count() const { return m_count; }
    void Clear() { m_count = 0; }
    const CString& Path(int index) const { return m_paths[index]; }
    // A path of ours, or a path inside one, with the name the user knows.
    WideText NameOf(const CString& path) const;

  private:
    CString m_paths[kMax];
    WideText m_names[kMax];
    int m_count = 0;
};

// The path as the -A calls take it: as it stands when CP932 spells it, else
// its short form when that is spelled; false when neither is.
bool AnsiPathOf(const wchar_t* path, CString& ansi);

// Adds every argument after the program's: split at blanks outside quotes,
// where a quote only groups (no folder name holds one), so "D:\" "E:\" gives
// D:\ and E:\; a bare drive "D:" is its root.
void AddFolderArguments(const wchar_t* commandLine, TargetFolders& folders);

// A box with the application's title and the exclamation icon, whose text
// CP932 may not spell.
void WideMessageBox(const wchar_t* text);

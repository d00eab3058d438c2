// The folders a run marks, in order: each as the -A calls take it, and as
// the user knows it. A run takes any number: Send To has no limit.
#pragma once

#include "WideText.h"

class TargetFolders {
  public:
    // The most folders one launch hands to another: Explorer starts one
    // launch per item for up to 100 selected items.
    static const int kMax = 100;

    TargetFolders() = default;
    TargetFolders(const TargetFolders&) = delete;
    TargetFolders& operator=(const TargetFolders&) = delete;
    ~TargetFolders() { delete[] m_folders; }

    // Adds a folder named as the user knows it. A name CP932 cannot spell
    // goes by its short (8.3) form; without one the user is told, in one
    // box, and the folder is left out.
    bool Add(const wchar_t* name);
    // Adds a folder whose -A path is known already; touches no file.
    bool AddSpelled(const wchar_t* name, const CString& path);
    // The same for a folder known to be none of those held: thousands of
    // rows are added without comparing each with every other.
    void AddDistinct(const wchar_t* name, const CString& path);
    int Count() const { return m_count; }
    void Clear() { m_count = 0; }
    const CString& Path(int index) const { return m_folders[index].path; }
    const WideText& Name(int index) const { return m_folders[index].name; }
    // A path of ours, or a path inside one, with the name the user knows.
    WideText NameOf(const CString& path) const;

  private:
    struct Folder {
        CString path;
        WideText name;
    };
    bool Has(const wchar_t* name) const;
    Folder* m_folders = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

// The path as the -A calls take it: as it stands when CP932 spells it, else
// its short form when that is spelled; false when neither is.
bool AnsiPathOf(const wchar_t* path, CString& ansi);

// A reserved device name such as NUL or COM1, with or without an extension:
// one part of a path, of the length given.
bool IsDeviceName(const wchar_t* part, int length);

// The name made full against this process's current folder, a bare drive
// "D:" its root; empty when the system cannot make it full.
WideText FullFolderName(const wchar_t* name);

// Adds every argument after the program's: split at blanks outside quotes,
// where a quote only groups (no folder name holds one), so "D:\" "E:\" gives
// D:\ and E:\; a bare drive "D:" is its root; a relative name is made full
// here, against this launch's current folder. Returns how many arguments
// there were, added or not.
int AddFolderArguments(const wchar_t* commandLine, TargetFolders& folders);

// A box with the application's title and the exclamation icon, whose text
// CP932 may not spell.
void WideMessageBox(const wchar_t* text);

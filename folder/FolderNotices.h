// The shell's change notice for a marked folder. Current Explorer caches
// folder settings and often ignores F5 for a changed desktop.ini; a notice
// for the folder, under the long name Explorer knows it by, makes it read
// the file again.
#pragma once

#include "../base/WideText.h"

#include <shlobj.h>

// While one lives (a run over many folders), the notices for folders of one
// parent share the parent's shell folder: a notice by path makes the shell
// parse the whole path again, once per folder. Without one, or for a folder
// whose parent cannot be bound, the notice goes by path.
class FolderNotices {
  public:
    FolderNotices();
    FolderNotices(const FolderNotices&) = delete;
    FolderNotices& operator=(const FolderNotices&) = delete;
    ~FolderNotices();

  private:
    friend void NotifyFolderChanged(const wchar_t* longName);

    bool Notify(const wchar_t* longName);
    bool BindParent(const wchar_t* parent);
    void ReleaseParent();

    static FolderNotices* s_current;
    FolderNotices* m_outer;
    enum class Parent { kNone, kSeen, kBound, kUnbound };
    Parent m_state = Parent::kNone;
    WideText m_parentName; // the last folder's
    PIDLIST_ABSOLUTE m_parent = nullptr;
    IShellFolder* m_folder = nullptr;
    bool m_comTried = false;
    bool m_comOwned = false;
};

void NotifyFolderChanged(const wchar_t* longName);

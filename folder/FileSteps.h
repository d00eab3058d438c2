// The file operations of IconChange: attribute bits, the icon copy and the
// system's wording of an error code.
#pragma once

#include "../base/WideText.h"
#include "../framework/String.h"

#include <windows.h>

// Reads the attributes and writes them back with one more bit; no bit is
// ever cleared. When the read fails nothing is written and the result is
// false, with the read's error code.
bool AddAttribute(const char* path, DWORD bit);
// The same for a folder; a path naming a file is refused (ERROR_DIRECTORY),
// so a mistyped target never turns a user's file into a system file.
bool AddFolderAttribute(const char* path, DWORD bit);

// Whether both paths name one file.
bool IsSameFile(const char* first, const char* second);

// The icon file's copy, written whole beside its destination first and put
// in its place only once the mark that names it is written: until then an
// earlier copy there, hidden or read-only, stays as it was. Dropped before
// that, it leaves nothing behind.
class StagedIconCopy {
  public:
    StagedIconCopy() = default;
    StagedIconCopy(const StagedIconCopy&) = delete;
    StagedIconCopy& operator=(const StagedIconCopy&) = delete;
    ~StagedIconCopy();

    bool Stage(const char* iconPath, const char* destination);
    // The copy in its place; an earlier copy loses its read-only bit. See
    // SwapIn for stranded.
    bool Commit(WideText& stranded);

  private:
    HANDLE m_temp = INVALID_HANDLE_VALUE;
    WideText m_tempPath, m_destination;
};

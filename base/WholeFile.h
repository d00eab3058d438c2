// Files replaced whole or not at all: the new bytes go to a temporary file
// beside the old one, which is swapped in once they are all on the disk. A
// full disk, a quota or a dropped network drive leave the old file as it was.
#pragma once

#include "WideText.h"

// The path in the extended-length form ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), made full first, as the system takes that form
// as it stands. Without it the -W file calls stop at MAX_PATH: this program
// does not opt in to longer paths ("Naming Files, Paths, and Namespaces").
// A path already in that form, a device name, or one that cannot be made
// full comes back as given.
WideText ExtendedPathOf(const wchar_t* path);
inline WideText ExtendedPathOf(const char* cp932) {
    return ExtendedPathOf(WideText(cp932));
}

// A new, empty file beside the path, Hidden and Temporary, opened for
// reading, writing and deleting, under a name no other file has: the path's
// own, this process's id and a count, then ".vrktmp". temp receives its name
// in the extended-length form. Hidden leftovers beside it of processes that
// no longer run go first.
HANDLE CreateTempBeside(const wchar_t* path, WideText& temp);

// Closes the temporary file and removes it through its own handle: the
// DELETE access asked for at its creation is granted whatever the folder's
// rights, which may refuse DeleteFileW (ReplaceFile's remarks).
void DiscardTemp(HANDLE temp);

// Flushes and closes the temporary file, then puts it in the place of the
// path: ReplaceFileW keeps the old file's ACL and streams; where it cannot
// work (no old file, a volume without support) MoveFileExW. Where the
// folder's rights let the user write but not delete, the bytes are written
// over the old file in place instead. The old file's attributes stay,
// read-only included. On failure the old file is as it was and the last
// error tells why; the temporary file is gone, unless the old file has left
// its name and the temporary file, holding the only copy, could not take
// it: then it is no longer hidden, and stranded (if given) receives its
// name.
bool SwapIn(HANDLE temp, const wchar_t* tempPath, const wchar_t* path,
            WideText* stranded = nullptr);

// The source's bytes from where it stands into the open file, in pieces: an
// icon library may be large. The piece lives on the heap while it is needed:
// a static array takes its size in the executable, as GCC's -fdata-sections
// gives zero-filled objects a .data section on Windows.
bool CopyFileBytes(HANDLE from, HANDLE to);

// The file's bytes, read whole, at most mostBytes of them; false, with the
// system's error, when it cannot be read (missing included) or is larger.
bool ReadWholeFile(const wchar_t* path, CString& bytes, LONGLONG mostBytes = 0x7FFFFFF0);

// The file's bytes replaced whole (or the file created), as above.
bool WriteWholeFile(const wchar_t* path, const CString& bytes, WideText* stranded = nullptr);

// Files replaced whole or not at all: the new bytes go to a temporary file
// beside the old one, which is swapped in once they are all on the disk. A
// full disk, a quota or a dropped network drive leave the old file as it was.
#pragma once

#include "WideText.h"

// A new, empty file beside the path, opened for writing, under a name no
// other file has; temp receives its name.
HANDLE CreateTempBeside(const wchar_t* path, WideText& temp);

// Flushes and closes the temporary file, then puts it in the place of the
// path: ReplaceFileW keeps the old file's ACL and streams; where it cannot
// work (no old file, a volume without support) MoveFileExW. The old file's
// attributes stay, read-only included. On failure the temporary file is
// gone, the old file is as it was, and the last error tells why.
bool SwapIn(HANDLE temp, const wchar_t* tempPath, const wchar_t* path);

// The file's bytes replaced whole (or the file created), as above.
bool WriteWholeFile(const wchar_t* path, const CString& bytes);

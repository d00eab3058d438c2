// The file operations of IconChange: attribute bits, the icon copy and the
// system's wording of an error code.
#pragma once

#include "../framework/String.h"

#include <windows.h>

// Reads the attributes and writes them back with one more bit; no bit is
// ever cleared. When the read fails nothing is written and the result is
// false, with the read's error code.
bool AddAttribute(const char* path, DWORD bit);
// The same for a folder; a path naming a file is refused (ERROR_DIRECTORY),
// so a mistyped target never turns a user's file into a system file.
bool AddFolderAttribute(const char* path, DWORD bit);

// Copies the icon file over the destination, hidden or read-only as an
// earlier copy may be; copied tells whether it did. A destination that
// already is the icon file is left as it is; a failed copy leaves an
// existing destination as it was.
bool CopyIconFile(const char* iconPath, const char* destination, bool& copied);

// The system's text for an error code, or its decimal number when the system
// has none.
CString SystemErrorText(DWORD error);

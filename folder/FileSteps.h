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

// Whether both paths name one file.
bool IsSameFile(const char* first, const char* second);

// Copies the icon file to the destination whole or not at all: an earlier
// copy there, hidden or read-only, stays as it was until the new one is
// complete, and loses its read-only bit once replaced.
bool CopyIconFile(const char* iconPath, const char* destination);

// The system's text for an error code, or its decimal number when the system
// has none.
CString SystemErrorText(DWORD error);

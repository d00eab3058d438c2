// The last scan's rows of each folder the overview has shown, kept per user
// under %LOCALAPPDATA%\Vorelkin\ so the next opening shows them at once. They
// are only a start: the new scan confirms, changes or removes each.
#pragma once

#include "OverviewRows.h"

// Reads the rows kept for the folder (as the rows name it) into marks, and
// when they were scanned. False, with nothing added, when there are none or
// the file is unreadable, of another version or of another folder.
bool ReadKeptRows(const wchar_t* root, MarkList& marks, FILETIME& scanned);
// Keeps the rows, written whole; a failure only loses the head start.
void KeepRows(const wchar_t* root, const FILETIME& scanned, const FolderMark* const* marks,
              int count);

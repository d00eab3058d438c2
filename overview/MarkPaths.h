// Inside the overview: paths in the \\?\ form and one folder's desktop.ini.
#pragma once

#include "FolderMarks.h"

// The folder's path, a backslash unless it ends in one, and the name.
WideText JoinPath(const wchar_t* folder, const wchar_t* name);

enum class MarkRead { None, Marked, Failed };
// desktop.ini in the folder (a ExtendedFolderPathOf path), read without asking for the
// folder's bits: Failed when it is there but cannot be read.
MarkRead ReadMarkAt(const wchar_t* longPath, const SlotIcons& slots, FolderMark& mark);

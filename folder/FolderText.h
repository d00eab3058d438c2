// Texts IconChange builds from its arguments, apart from the calls that write
// them, which need the file system.
#pragma once

#include "../framework/String.h"

// The folder's desktop.ini, joined as it stands: a drive root "D:\" gives
// "D:\\desktop.ini", which the file system accepts.
CString DesktopIniPath(const CString& folderPath);

// The icon file's name from its last backslash on, backslash included; a
// path without a backslash gets one in front, so the copy stays inside the
// folder.
CString IconCopyName(const CString& iconPath);

// The copy name with " (n)" before its extension, for n from 2 on; n = 1
// gives the name itself.
CString NumberedCopyName(const CString& copyName, int number);

// Whether a copy of that name would land on the folder's desktop.ini: any
// letter case, and the trailing dots and blanks the file system drops.
bool NamesDesktopIni(const CString& copyName);

// How desktop.ini names the copy: relative to the folder, so the icon
// follows the folder when it is moved, copied or shared.
CString IconCopyReference(const CString& copyName);

// A value as one line: every line break (CR LF, CR or LF) becomes one blank,
// so a description cannot add keys or sections.
CString OneLineValue(const CString& value);

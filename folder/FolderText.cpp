#include "FolderText.h"

#include "../app/TextRules.h"

CString DesktopIniPath(const CString& folderPath) {
    return folderPath + "\\desktop.ini";
}

CString IconCopyName(const CString& iconPath) {
    int backslash = FindLastBackslash(iconPath);
    // A bare file name still lands inside the folder, where desktop.ini names it.
    if (backslash < 0)
        return iconPath.IsEmpty() ? iconPath : "\\" + iconPath;
    return iconPath.Mid(backslash);
}

CString IconCopyReference(const CString& copyName) {
    if (!copyName.IsEmpty() && copyName[0] == '\\')
        return copyName.Mid(1);
    return copyName;
}

CString OneLineValue(const CString& value) {
    // Neither byte can be the second byte of a double-byte character.
    CString line;
    for (int i = 0; i < value.GetLength(); ++i) {
        char c = value[i];
        if (c == '\r' && i + 1 < value.GetLength() && value[i + 1] == '\n')
            ++i;
        line += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return line;
}

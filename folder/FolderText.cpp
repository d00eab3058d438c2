#include "FolderText.h"

#include "../base/TextRules.h"

#include <windows.h>

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

CString NumberedCopyName(const CString& copyName, int number) {
    if (number <= 1)
        return copyName;
    // The last "." of the name, stepping over double-byte characters.
    int dot = copyName.GetLength();
    for (int i = 0; i < copyName.GetLength(); ++i) {
        if (IsCp932LeadByte((unsigned char)copyName[i]))
            ++i;
        else if (copyName[i] == '.')
            dot = i;
    }
    return copyName.Left(dot) + " (" + CString::FromInt(number) + ")" + copyName.Mid(dot);
}

bool NamesDesktopIni(const CString& copyName) {
    CString name = IconCopyReference(copyName);
    int length = name.GetLength();
    while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' '))
        --length;
    return lstrcmpiA(name.Left(length), "desktop.ini") == 0;
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

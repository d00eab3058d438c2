#include "Settings.h"

CString g_strTargetFolder;
CString g_strExePath;
CString g_strExeDir;
CString g_strIniPath;
CString g_strIconFolder;
CStringArray g_arrIconPath;
int g_nIconIndex[IconSlot::Count];
bool g_bHelp;
bool g_bIconCopy;
bool g_bTipDelete;
int g_nToumeido;

BOOL GetStringINI(CString file, CString section, CString key, CString& text) {
    CString value;
    // The profile API cuts a value to the buffer and then returns size - 1,
    // so a full buffer is read again with more room.
    for (DWORD size = 256;; size *= 2) {
        char* buffer = value.GetBuffer((int)size);
        DWORD length = GetPrivateProfileStringA(section, key, "", buffer, size, file);
        if (length + 1 < size || size >= (1u << 30)) {
            value.ReleaseBuffer((int)length);
            break;
        }
    }
    if (value.IsEmpty())
        return FALSE;
    text = value;
    return TRUE;
}

BOOL SetStringINI(CString file, CString section, CString key, CString value) {
    return WritePrivateProfileStringA(section, key, value, file);
}

// The settings model: process-wide, filled by start-up from vrkcfg.ini and
// written back when the chooser has closed.
#pragma once

#include "TargetFolders.h"

#include "../framework/String.h"

#include <windows.h>

// vrkcfg.ini's sections.
const char kFolderSection[] = "FolderPath";
const char kIconSection[] = "IconPath";
const char kPropertySection[] = "Property";

// The eight icon slots; slot 0 is kept in the file but bound to no entry.
struct IconSlot {
    static const int Count = 8;
    static CString PathKey(int slot) { return CString("PATH_") + CString::FromInt(slot); }
    static CString IndexKey(int slot) { return CString("ICON_INDEX_") + CString::FromInt(slot); }
};

extern CString g_strTargetFolder; // the first of the folders
extern TargetFolders g_targetFolders;
extern CString g_strExePath;
extern CString g_strExeDir;
extern CString g_strIniPath;
extern CString g_strIconFolder;
extern CStringArray g_arrIconPath;
extern int g_nIconIndex[IconSlot::Count];
extern bool g_bHelp;
extern bool g_bIconCopy;
extern bool g_bTipDelete;
extern int g_nToumeido;
// False when vrkcfg.ini exists but could not be read: the run goes on with
// the defaults and writes nothing to the file.
extern bool g_bSettingsWritable;

// TRUE and the whole value (never cut) only when the key holds a non-empty
// value; otherwise FALSE with text untouched.
BOOL GetStringINI(CString file, CString section, CString key, CString& text);

// Writes one key, creating file and section as needed; every other line is
// left alone.
BOOL SetStringINI(CString file, CString section, CString key, CString value);

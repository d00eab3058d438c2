#include "Settings.h"

CString g_strTargetFolder;
TargetFolders g_targetFolders;
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
bool g_bSettingsWritable = true;

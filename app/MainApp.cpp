#include "MainApp.h"

#include "IniFile.h"
#include "OsVersion.h"
#include "Settings.h"
#include "TextRules.h"
#include "../ui/SelectDlg.h"

#include <stdlib.h>

namespace {
const char kFolderSection[] = "FolderPath";
const char kIconSection[] = "IconPath";
const char kPropertySection[] = "Property";

// An on/off option: any text but "0" turns it on.
bool LoadOption(const char* key, CString& text) {
    if (!GetStringINI(g_strIniPath, kPropertySection, key, text)) {
        text = "0";
        SetStringINI(g_strIniPath, kPropertySection, key, text);
    }
    return text != "0";
}
} // namespace

BEGIN_MESSAGE_MAP(CMainApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CMainApp::CMainApp() {
    m_pszHelpText = "Vorelkin: フォルダにアイコンと説明を付けます。\r\n"
                    "フォルダを右クリックして「送る」から起動し、一覧から種類を選んでください。\r\n"
                    "設定は実行ファイルと同じフォルダの vrkcfg.ini にあります。";
}

OptionTexts LoadSettings(const CString& exePath, int osVersion) {
    const char* iconSetPrefix = osVersion == 51 ? "\\FldXP0" : "\\fld0";

    g_strExePath = exePath;
    g_strExeDir = g_strExePath.Left(FindLastBackslash(g_strExePath) + 1);
    g_strIniPath = g_strExeDir + "vrkcfg.ini";
    IniFileSession session(g_strIniPath);

    if (!GetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder)) {
        g_strIconFolder = g_strExeDir + "icons";
        SetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder);
        CreateDirectoryA(g_strIconFolder, nullptr); // an existing folder is fine
    }

    g_arrIconPath.SetSize(IconSlot::Count);
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot].Empty();
        CString digit = CString::FromInt(slot);
        if (!GetStringINI(g_strIniPath, kIconSection, IconSlot::PathKey(slot),
                          g_arrIconPath[slot])) {
            g_arrIconPath[slot] = g_strIconFolder + iconSetPrefix + digit + ".ico";
            SetStringINI(g_strIniPath, kIconSection, IconSlot::PathKey(slot), g_arrIconPath[slot]);
        }
        CString index;
        if (GetStringINI(g_strIniPath, kIconSection, IconSlot::IndexKey(slot), index)) {
            g_nIconIndex[slot] = LeadingInt(index);
        } else {
            SetStringINI(g_strIniPath, kIconSection, IconSlot::IndexKey(slot), "0");
            g_nIconIndex[slot] = 0;
        }
    }

    OptionTexts options;
    g_bHelp = LoadOption("HELP", options.help);
    g_bIconCopy = LoadOption("ICON_COPY", options.iconCopy);
    g_bTipDelete = LoadOption("TIP_DELETE", options.tipDelete);
    if (GetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", options.toumeido)) {
        g_nToumeido = LeadingInt(options.toumeido);
    } else {
        options.toumeido = "50";
        SetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", options.toumeido);
        g_nToumeido = 50;
    }
    return options;
}

void SaveSettings(const OptionTexts& options) {
    IniFileSession session(g_strIniPath);
    SetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder);
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        SetStringINI(g_strIniPath, kIconSection, IconSlot::PathKey(slot), g_arrIconPath[slot]);
        SetStringINI(g_strIniPath, kIconSection, IconSlot::IndexKey(slot),
                     CString::FromInt(g_nIconIndex[slot]));
    }
    SetStringINI(g_strIniPath, kPropertySection, "HELP", options.help);
    SetStringINI(g_strIniPath, kPropertySection, "ICON_COPY", options.iconCopy);
    SetStringINI(g_strIniPath, kPropertySection, "TIP_DELETE", options.tipDelete);
    SetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", options.toumeido);
}

BOOL CMainApp::InitInstance() {
    if (__argc > 1)
        g_strTargetFolder = CleanFolderArgument(__argv[1]);

    int osVersion = GetOSVersion();
    OptionTexts options = LoadSettings(AfxGetModulePath(), osVersion);

    CSelectDlg chooser(nullptr);
    m_pMainWnd = &chooser;
    chooser.DoModal();
    m_pMainWnd = nullptr; // also when the window never opened

    SaveSettings(options);
    return FALSE;
}

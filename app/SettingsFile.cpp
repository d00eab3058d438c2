// The settings file's keys loaded into the model at start and saved back.
#include "SettingsFile.h"

#include "IniFile.h"
#include "Settings.h"
#include "TextRules.h"

#include <stdlib.h>

namespace {
const DWORD kUnreadableRetryMs = 2000;

// An on/off option: any text but "0" turns it on.
bool LoadOption(const char* key, CString& text) {
    if (!GetStringINI(g_strIniPath, kPropertySection, key, text)) {
        text = "0";
        SetStringINI(g_strIniPath, kPropertySection, key, text);
    }
    return text != "0";
}
} // namespace

CString ExecutablePath(bool tellUnspellable) {
    wchar_t* path = nullptr;
    // A full buffer means the path was cut: try again with more room.
    for (DWORD size = 256;; size *= 2) {
        free(path);
        path = (wchar_t*)malloc(sizeof(wchar_t) * size);
        if (!path)
            return CString();
        if (GetModuleFileNameW(nullptr, path, size) < size || size >= (1u << 16))
            break;
    }
    CString ansi;
    if (!AnsiPathOf(path, ansi) && tellUnspellable) {
        WideText text(L"Vorelkin のフォルダの名前は Shift-JIS で書けず、短い名前もありません。"
                      L"設定を保存できないので、既定の設定で動きます。"
                      L"Shift-JIS で書けるフォルダに移してください:\r\n");
        text += path;
        WideMessageBox(text);
    }
    free(path);
    return ansi;
}

namespace {
// Every key under one hold of the file's lock, a default for each one that
// holds no value.
OptionTexts LoadKeys(bool ownFolder, const char* iconSetPrefix) {
    IniFileSession session(g_strIniPath);
    // An antivirus scanner or a backup tool may hold the file for a moment.
    for (DWORD start = GetTickCount();
         session.Unreadable() && GetTickCount() - start < kUnreadableRetryMs;) {
        Sleep(100);
        session.Reread();
    }
    // Defaults for this run only: the user's own values stay in the file.
    g_bSettingsWritable = !session.Unreadable();

    if (!GetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder)) {
        g_strIconFolder = ownFolder ? g_strExeDir + "icons" : CString();
        SetStringINI(g_strIniPath, kFolderSection, "ICON_FOLDER", g_strIconFolder);
        if (ownFolder)
            CreateDirectoryA(g_strIconFolder, nullptr); // an existing folder is fine
    }

    g_arrIconPath.SetSize(IconSlot::Count);
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot].Empty();
        CString digit = CString::FromInt(slot);
        if (!GetStringINI(g_strIniPath, kIconSection, IconSlot::PathKey(slot),
                          g_arrIconPath[slot])) {
            if (ownFolder)
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
} // namespace

OptionTexts LoadSettings(const CString& exePath, int osVersion, bool tellUnreadable) {
    const char* iconSetPrefix = osVersion == 51 ? "\\FldXP0" : "\\fld0";

    g_strExePath = exePath;
    g_strExeDir = g_strExePath.Left(FindLastBackslash(g_strExePath) + 1);
    // Without a folder of its own the program runs on the defaults: it
    // writes no settings file and creates no icons folder.
    const bool ownFolder = !g_strExeDir.IsEmpty();
    g_strIniPath = ownFolder ? g_strExeDir + "vrkcfg.ini" : CString();
    OptionTexts options = LoadKeys(ownFolder, iconSetPrefix);
    // Told once the file's lock is free again.
    if (!g_bSettingsWritable && tellUnreadable) {
        WideText text(
            L"設定ファイルを読めませんでした。ほかのプログラムが使用中の可能性があります。"
            L"今回は既定の設定で動き、設定ファイルには何も書き込みません:\r\n");
        text += WideText(g_strIniPath);
        WideMessageBox(text);
    }
    return options;
}

void SaveSettings(const OptionTexts& options) {
    if (!g_bSettingsWritable)
        return;
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

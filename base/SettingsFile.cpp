// The settings file's keys loaded into the model at start and saved back.
#include "SettingsFile.h"

#include "IniFile.h"
#include "OsVersion.h"
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

struct SettingsKey {
    const char* section;
    CString name;
};

// The key at index in the order a new file has them.
SettingsKey KeyAt(int index) {
    static const char* const kOptions[] = {"HELP", "ICON_COPY", "TIP_DELETE", "TOUMEIDO"};
    if (index == 0)
        return {kFolderSection, "ICON_FOLDER"};
    const int slotKey = index - 1, slot = slotKey / 2;
    if (slotKey < 2 * IconSlot::Count)
        return {kIconSection, slotKey % 2 ? IconSlot::IndexKey(slot) : IconSlot::PathKey(slot)};
    return {kPropertySection, kOptions[slotKey - 2 * IconSlot::Count]};
}

// What the write-back writes for the key: the model's value, an icon index
// normalised; an option as it was read.
CString WrittenValue(int index, const SettingsAsRead& read) {
    if (index == 0)
        return g_strIconFolder;
    const int slotKey = index - 1, slot = slotKey / 2;
    if (slotKey < 2 * IconSlot::Count)
        return slotKey % 2 ? CString::FromInt(g_nIconIndex[slot]) : g_arrIconPath[slot];
    return read.texts[index];
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
SettingsAsRead LoadKeys(bool ownFolder, const char* iconSetPrefix) {
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

    CString text;
    g_bHelp = LoadOption("HELP", text);
    g_bIconCopy = LoadOption("ICON_COPY", text);
    g_bTipDelete = LoadOption("TIP_DELETE", text);
    if (GetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", text)) {
        g_nToumeido = LeadingInt(text);
    } else {
        SetStringINI(g_strIniPath, kPropertySection, "TOUMEIDO", "50");
        g_nToumeido = 50;
    }

    SettingsAsRead read;
    for (int index = 0; index < SettingsAsRead::kKeys; ++index) {
        const SettingsKey key = KeyAt(index);
        GetStringINI(g_strIniPath, key.section, key.name, read.texts[index]);
        read.written[index] = WrittenValue(index, read);
    }
    return read;
}
} // namespace

SettingsAsRead LoadSettings(const CString& exePath, int osVersion, bool tellUnreadable) {
    const char* iconSetPrefix = osVersion == 51 ? "\\FldXP0" : "\\fld0";

    g_strExePath = exePath;
    g_strExeDir = g_strExePath.Left(FindLastBackslash(g_strExePath) + 1);
    // Without a folder of its own the program runs on the defaults: it
    // writes no settings file and creates no icons folder.
    const bool ownFolder = !g_strExeDir.IsEmpty();
    g_strIniPath = ownFolder ? g_strExeDir + "vrkcfg.ini" : CString();
    SettingsAsRead read = LoadKeys(ownFolder, iconSetPrefix);
    // Told once the file's lock is free again.
    if (!g_bSettingsWritable && tellUnreadable) {
        WideText text(
            L"設定ファイルを読めませんでした。ほかのプログラムが使用中の可能性があります。"
            L"今回は既定の設定で動き、設定ファイルには何も書き込みません:\r\n");
        text += WideText(g_strIniPath);
        WideMessageBox(text);
    }
    return read;
}

void SaveSettings(const SettingsAsRead& read) {
    if (!g_bSettingsWritable)
        return;
    IniFileSession session(g_strIniPath);
    for (int index = 0; index < SettingsAsRead::kKeys; ++index) {
        const SettingsKey key = KeyAt(index);
        const CString value = WrittenValue(index, read);
        // Another window of ours or the user changed it meanwhile, and this
        // run did not: theirs stays.
        CString now;
        if (value == read.written[index] &&
            GetStringINI(g_strIniPath, key.section, key.name, now) && now != read.texts[index])
            continue;
        SetStringINI(g_strIniPath, key.section, key.name, value);
    }
}

void LoadListSettings() {
    // Read once, never written back at exit: another window may change the
    // file meanwhile.
    LoadSettings(ExecutablePath(), GetOSVersion());
}

#include "TargetFolders.h"

#include "../framework/App.h"

#include <stdlib.h>
#include <string.h>

bool TargetFolders::Add(const wchar_t* name) {
    if (!*name || m_count == kMax)
        return false;
    for (int i = 0; i < m_count; ++i) {
        if (lstrcmpiW(m_names[i], name) == 0)
            return false; // there already
    }
    if (!AnsiPathOf(name, m_paths[m_count])) {
        WideText text(
            L"このフォルダの名前は扱えません。Shift-JIS で書けず、短い名前もありません:\r\n");
        text += name;
        WideMessageBox(text);
        return false;
    }
    m_names[m_count++] = WideText(name);
    return true;
}

WideText TargetFolders::NameOf(const CString& path) const {
    for (int i = 0; i < m_count; ++i) {
        int length = m_paths[i].GetLength();
        if (strncmp(path, m_paths[i], (size_t)length) != 0 ||
            (path[length] != '\0' && path[length] != '\\'))
            continue;
        WideText name = m_names[i];
        name += WideText(path.Mid(length));
        return name;
    }
    return WideText(path);
}

bool AnsiPathOf(const wchar_t* path, CString& ansi) {
    if (SpellInCp932(path, ansi))
        return true;
    DWORD size = GetShortPathNameW(path, nullptr, 0);
    wchar_t* shortPath = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    bool spelled =
        shortPath && GetShortPathNameW(path, shortPath, size) && SpellInCp932(shortPath, ansi);
    free(shortPath);
    return spelled;
}

void AddFolderArguments(const wchar_t* commandLine, TargetFolders& folders) {
    wchar_t* argument = (wchar_t*)malloc(sizeof(wchar_t) * (wcslen(commandLine) + 2));
    if (!argument)
        return;
    int length = 0, index = 0;
    bool quoted = false, started = false;
    for (const wchar_t* at = commandLine;; ++at) {
        if (*at == L'"') {
            quoted = !quoted;
            started = true;
            continue;
        }
        if (*at && (quoted || (*at != L' ' && *at != L'\t'))) {
            argument[length++] = *at;
            started = true;
            continue;
        }
        if (length == 2 && argument[1] == L':')
            argument[length++] = L'\\';
        argument[length] = L'\0';
        if (started && index++ > 0) // the first is the program
            folders.Add(argument);
        length = 0;
        started = false;
        if (!*at)
            break;
    }
    free(argument);
}

void WideMessageBox(const wchar_t* text) {
    MessageBoxW(AfxGetSafeOwner(nullptr), text, WideText(AfxGetAppName()),
                MB_OK | MB_ICONEXCLAMATION);
}

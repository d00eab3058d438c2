#include "TargetFolders.h"

#include "CommandWords.h"

#include "../framework/App.h"

#include <stdlib.h>
#include <string.h>

bool TargetFolders::Has(const wchar_t* name) const {
    for (int i = 0; i < m_count; ++i) {
        if (CompareStringOrdinal(m_folders[i].name, -1, name, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

bool TargetFolders::Add(const wchar_t* name) {
    if (!*name || Has(name))
        return false;
    CString path;
    if (!AnsiPathOf(name, path)) {
        WideText text(
            L"このフォルダの名前は扱えません。Shift-JIS で書けず、短い名前もありません:\r\n");
        text += name;
        WideMessageBox(text);
        return false;
    }
    return AddSpelled(name, path);
}

bool TargetFolders::AddSpelled(const wchar_t* name, const CString& path) {
    if (!*name || Has(name))
        return false;
    AddDistinct(name, path);
    return true;
}

void TargetFolders::AddDistinct(const wchar_t* name, const CString& path) {
    if (m_count == m_capacity) {
        int capacity = m_capacity ? m_capacity * 2 : 8;
        Folder* folders = new Folder[capacity];
        for (int i = 0; i < m_count; ++i) {
            folders[i].path = static_cast<CString&&>(m_folders[i].path);
            folders[i].name = m_folders[i].name;
        }
        delete[] m_folders;
        m_folders = folders;
        m_capacity = capacity;
    }
    m_folders[m_count].path = path;
    m_folders[m_count++].name = WideText(name);
}

WideText TargetFolders::NameOf(const CString& path) const {
    for (int i = 0; i < m_count; ++i) {
        int length = m_folders[i].path.GetLength();
        if (strncmp(path, m_folders[i].path, (size_t)length) != 0 ||
            (path[length] != '\0' && path[length] != '\\'))
            continue;
        WideText name = m_folders[i].name;
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

WideText FullFolderName(const wchar_t* name) {
    WideText typed(name);
    // Before the full path: the system makes "D:" the current folder on D:.
    if (wcslen(name) == 2 && name[1] == L':')
        typed += L"\\";
    DWORD size = GetFullPathNameW(typed, 0, nullptr, nullptr);
    wchar_t* full = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    DWORD length = full ? GetFullPathNameW(typed, size, full, nullptr) : 0;
    WideText made(length && length < size ? full : L"");
    free(full);
    return made;
}

int AddFolderArguments(const wchar_t* commandLine, TargetFolders& folders) {
    int index = 0;
    ForEachCommandWord(commandLine, [&](wchar_t* argument, int length) {
        if (!length || index++ == 0) // the first is the program
            return;
        // As it stands when the system cannot make it full.
        const WideText full = FullFolderName(argument);
        folders.Add(*(const wchar_t*)full ? (const wchar_t*)full : argument);
    });
    return index > 0 ? index - 1 : 0;
}

void WideMessageBox(const wchar_t* text) {
    MessageBoxW(AfxGetSafeOwner(nullptr), text, WideText(AfxGetAppName()),
                MB_OK | MB_ICONEXCLAMATION);
}

bool IsDeviceName(const wchar_t* component, int length) {
    int base = 0;
    while (base < length && component[base] != L'.')
        ++base;
    while (base > 0 && component[base - 1] == L' ')
        --base;
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if ((int)wcslen(device) == base && _wcsnicmp(component, device, (size_t)base) == 0)
            return true;
    }
    return base == 4 &&
           (_wcsnicmp(component, L"COM", 3) == 0 || _wcsnicmp(component, L"LPT", 3) == 0) &&
           component[3] >= L'1' && component[3] <= L'9';
}

#include "FolderState.h"

#include "../base/WholeFile.h"
#include "../framework/Scoped.h"

#include <wchar.h>

unsigned long long HashOf(const char* bytes, int length) {
    unsigned long long hash = 14695981039346656037ull;
    for (int i = 0; i < length; ++i)
        hash = (hash ^ (unsigned char)bytes[i]) * 1099511628211ull;
    return hash;
}

WideText IniPathOf(const wchar_t* folder) {
    WideText path(folder);
    const size_t length = wcslen(folder);
    if (!length || folder[length - 1] != L'\\')
        path += L"\\";
    path += L"desktop.ini";
    return path;
}

void ReadAttributes(const wchar_t* folder, FolderState& state) {
    const DWORD attributes = GetFileAttributesW(ExtendedPathOf(folder));
    state.folderPresent =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    state.folderAttributes = state.folderPresent ? attributes : 0;
    state.iniAttributes = GetFileAttributesW(ExtendedPathOf(IniPathOf(folder)));
    state.iniPresent = state.iniAttributes != INVALID_FILE_ATTRIBUTES;
    if (!state.iniPresent)
        state.iniAttributes = 0;
}

bool ReadFolderState(const wchar_t* folder, FolderState& state) {
    ReadAttributes(folder, state);
    state.iniBytes.Empty();
    return !state.iniPresent || ReadWholeFile(IniPathOf(folder), state.iniBytes);
}

void ReadCopyState(const wchar_t* folder, const CString& name, bool keepBytes,
                   IconCopyState& copy) {
    copy = IconCopyState();
    copy.name = name;
    if (name.IsEmpty())
        return;
    WideText path(folder);
    path += WideText(name);
    copy.attributes = GetFileAttributesW(ExtendedPathOf(path));
    CString bytes;
    copy.present = copy.attributes != INVALID_FILE_ATTRIBUTES && ReadWholeFile(path, bytes);
    if (!copy.present) {
        copy.attributes = 0;
        return;
    }
    copy.hash = HashOf(bytes);
    copy.bytesKept = keepBytes;
    if (keepBytes)
        copy.bytes = bytes;
}

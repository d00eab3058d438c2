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

bool ReadWholeFile(const wchar_t* path, CString& bytes) {
    bytes.Empty();
    ScopedFile file(CreateFileW(ExtendedPathOf(path), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file, &size))
        return false;
    if (size.QuadPart > 0x7FFFFFF0) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    DWORD read = 0;
    char* buffer = bytes.GetBuffer((int)size.QuadPart);
    const bool whole = ReadFile(file, buffer, (DWORD)size.QuadPart, &read, nullptr) &&
                       read == (DWORD)size.QuadPart;
    bytes.ReleaseBuffer(whole ? (int)read : 0);
    return whole;
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

// What a change to a folder touches, as it stood at one moment: the
// folder's attributes, desktop.ini's bytes and attributes, and the icon copy
// the change made or replaced.
#pragma once

#include "../base/WideText.h"
#include "../framework/String.h"

// 64-bit FNV-1a: enough to tell our own bytes from anyone else's.
unsigned long long HashOf(const char* bytes, int length);
inline unsigned long long HashOf(const CString& bytes) {
    return HashOf(bytes, bytes.GetLength());
}

struct IconCopyState {
    CString name; // from the backslash on, as IconChange names it; empty: no copy
    bool present = false;
    DWORD attributes = 0;
    unsigned long long hash = 0;
    // Kept only where a restore may have to write the copy back.
    bool bytesKept = false;
    CString bytes;
};

struct FolderState {
    bool folderPresent = false;
    DWORD folderAttributes = 0;
    bool iniPresent = false;
    DWORD iniAttributes = 0;
    CString iniBytes;
    IconCopyState copy;
};

// The folder's desktop.ini as the -W calls take it.
WideText IniPathOf(const wchar_t* folder);

// The folder's and its desktop.ini's attributes, and whether each is there.
void ReadAttributes(const wchar_t* folder, FolderState& state);
// The folder and its desktop.ini's attributes and bytes; false when the
// file is there but cannot be read.
bool ReadFolderState(const wchar_t* folder, FolderState& state);
// The copy of that name in the folder, with its bytes kept when asked.
void ReadCopyState(const wchar_t* folder, const CString& name, bool keepBytes, IconCopyState& copy);

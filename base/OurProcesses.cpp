#include "OurProcesses.h"

#include "../framework/Scoped.h"

#include <stdlib.h>

// Each call looks up every name of the path, so the usual length is tried first.
WideText LongNameOf(const wchar_t* path) {
    wchar_t usual[MAX_PATH];
    DWORD size = GetLongPathNameW(path, usual, MAX_PATH);
    if (size && size < MAX_PATH)
        return WideText(usual);
    wchar_t* full = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    DWORD length = full ? GetLongPathNameW(path, full, size) : 0;
    WideText text(length && length < size ? full : path);
    free(full);
    return text;
}

namespace {
WideText ImageNameOf(HANDLE process) {
    const DWORD room = 32768;
    wchar_t* path = (wchar_t*)malloc(sizeof(wchar_t) * room);
    DWORD size = room;
    WideText image;
    if (path && QueryFullProcessImageNameW(process, 0, path, &size))
        image = LongNameOf(path);
    free(path);
    return image;
}
} // namespace

WideText ExecutableOfOurs(DWORD pid) {
    ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!ProcessUser(process).Same(ProcessUser(GetCurrentProcess())))
        return WideText();
    return ImageNameOf(process);
}

// Read as another launch's is read. The loader's name (GetModuleFileNameW)
// keeps the path as launched, through a symbolic link, a junction or a
// substituted drive; the kernel's names the file itself, so the two would
// differ and no launch would trust its collector. (Wine names both alike.)
WideText OwnExecutablePath() {
    return ImageNameOf(GetCurrentProcess());
}

#include "OurProcesses.h"

#include "../framework/Scoped.h"

#include <stdlib.h>

WideText LongNameOf(const wchar_t* path) {
    DWORD size = GetLongPathNameW(path, nullptr, 0);
    wchar_t* full = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    DWORD length = full ? GetLongPathNameW(path, full, size) : 0;
    WideText text(length && length < size ? full : path);
    free(full);
    return text;
}

WideText ExecutableOfOurs(DWORD pid) {
    ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!ProcessUser(process).Same(ProcessUser(GetCurrentProcess())))
        return WideText();
    const DWORD room = 32768;
    wchar_t* path = (wchar_t*)malloc(sizeof(wchar_t) * room);
    DWORD size = room;
    WideText image;
    if (path && QueryFullProcessImageNameW(process, 0, path, &size))
        image = LongNameOf(path);
    free(path);
    return image;
}

// Read as another launch's is read. The loader's name (GetModuleFileNameW)
// keeps the path as launched, through a symbolic link, a junction or a
// substituted drive; the kernel's names the file itself, so the two would
// differ and no launch would trust its collector. (Wine names both alike.)
WideText OwnExecutablePath() {
    return ExecutableOfOurs(GetCurrentProcessId());
}

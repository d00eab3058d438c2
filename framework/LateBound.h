// Functions of system libraries that only some runs need, looked up at their
// first call: every library in the import table is loaded, with what it
// imports in turn, before the program's first line runs.
#pragma once

#include <windows.h>

// The function's address in a library of the system folder, which is loaded
// when the process has not loaded it yet and then kept for the process's
// life. Null when the library or the function cannot be found.
FARPROC LateProcAddress(const wchar_t* library, const char* name);

// LATE_BOUND(L"comdlg32.dll", GetSaveFileNameW) is a pointer of the
// function's own type, calling convention included, or null. The name is
// written once, so the type and the looked-up name cannot disagree; naming
// the function inside decltype does not import it.
#define LATE_BOUND(library, function)                                                              \
    reinterpret_cast<decltype(&function)>(                                                         \
        reinterpret_cast<void*>(LateProcAddress(library, #function)))

#include "LateBound.h"

FARPROC LateProcAddress(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    // The system folder only, never the current or the program's folder
    // ("LoadLibraryExW function": LOAD_LIBRARY_SEARCH_SYSTEM32).
    if (!module)
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? GetProcAddress(module, name) : nullptr;
}

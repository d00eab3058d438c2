// The floor for /set on many folders: the same desktop.ini bytes written to
// each folder with the same whole-file replacement, and the same attribute
// bits added (System on the folder, Hidden on the file); nothing else. With
// /notify also the shell's change notice for each folder, sent by path,
// which tells what the notices would cost sent that way.
//   SetFloor.exe [/notify] <file of the bytes> <folder>...
#include "base/WholeFile.h"
#include "framework/Scoped.h"

#include <windows.h>

#include <shlobj.h>
#include <wchar.h>

#include <string>

namespace {
bool AddBit(const std::wstring& path, DWORD bit) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(path.c_str(), attributes | bit);
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    const bool notify = argc > 1 && wcscmp(argv[1], L"/notify") == 0;
    if (notify) {
        --argc;
        ++argv;
    }
    if (argc < 3)
        return 4;
    ScopedFile file(
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(file, buffer, sizeof(buffer), &read, nullptr))
        return 3;
    const CString bytes(buffer, (int)read);
    int code = 0;
    for (int i = 2; i < argc; ++i) {
        std::wstring ini = std::wstring(argv[i]) + L"\\desktop.ini";
        if (!WriteWholeFile(ini.c_str(), bytes) || !AddBit(argv[i], FILE_ATTRIBUTE_SYSTEM) ||
            !AddBit(ini, FILE_ATTRIBUTE_HIDDEN))
            code = 3;
        wchar_t full[MAX_PATH];
        if (notify && GetFullPathNameW(argv[i], MAX_PATH, full, nullptr))
            SHChangeNotify(SHCNE_UPDATEITEM, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, full, nullptr);
    }
    return code;
}

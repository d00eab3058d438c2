// The floor for /set on many folders: the same desktop.ini bytes written to
// each folder with the same whole-file replacement, and the same attribute
// bits added (System on the folder, Hidden on the file); nothing else.
//   SetFloor.exe <file of the bytes> <folder>...
#include "app/WholeFile.h"
#include "framework/Scoped.h"

#include <windows.h>

#include <string>

namespace {
bool AddBit(const std::wstring& path, DWORD bit) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(path.c_str(), attributes | bit);
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 4;
    HANDLE file =
        CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[4096];
    DWORD read = 0;
    BOOL got = ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
    CloseHandle(file);
    if (!got)
        return 3;
    const CString bytes(buffer, (int)read);
    int code = 0;
    for (int i = 2; i < argc; ++i) {
        std::wstring ini = std::wstring(argv[i]) + L"\\desktop.ini";
        if (!WriteWholeFile(ini.c_str(), bytes) || !AddBit(argv[i], FILE_ATTRIBUTE_SYSTEM) ||
            !AddBit(ini, FILE_ATTRIBUTE_HIDDEN))
            code = 3;
    }
    return code;
}

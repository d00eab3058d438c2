// The floor for the overview's scan: walks the tree as the scan does, with
// FindFirstFileExW (FindExInfoBasic, FIND_FIRST_EX_LARGE_FETCH), skipping
// links, and does nothing else.
//   ScanFloor.exe <folder>
#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    std::vector<std::wstring> pending{L"\\\\?\\" + std::wstring(argv[1])};
    while (!pending.empty()) {
        std::wstring folder = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            const wchar_t* name = found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                !(name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]))))
                pending.push_back(folder + L"\\" + name);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return 0;
}

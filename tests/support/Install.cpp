#include "Install.h"

Install::Install(bool withIcons, const char* program) : m_dir("vrk-e2e") {
    CopyFileA(BesideTests(program), Exe(), FALSE);
    CreateDirectoryA(Target(), nullptr);
    if (!withIcons)
        return;
    CString icons = m_dir / "icons";
    CreateDirectoryA(icons, nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(BesideTests("icons\\*.ico"), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        CopyFileA(BesideTests("icons\\") + found.cFileName, icons + "\\" + found.cFileName, FALSE);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool Install::Launch(Process& process, const CString& arguments) const {
    return process.Start("\"" + Exe() + "\" " + arguments, Dir());
}

HWND Install::LaunchOnTarget(Process& process) const {
    if (!Launch(process, "\"" + Target() + "\""))
        return nullptr;
    return WaitForChooser(process.Id());
}

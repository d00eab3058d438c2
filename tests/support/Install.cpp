#include "Install.h"

#include "res/resource.h"

HWND WaitForPrompt(DWORD pid) {
    return WaitForDialog(pid, [](HWND w) { return TextOf(w) == "フォルダの説明を入力"; });
}

bool WaitForFirstPaint(HWND chooser) {
    if (!WaitFor([&] { return TextOf(GetDlgItem(chooser, IDC_OTHER)) == "その他"; }))
        return false;
    // The first paint relabels the rows and sets the icons, which invalidates
    // them again; a paint still pending would wipe a hover bar drawn
    // meanwhile, so it is let through now.
    RedrawWindow(chooser, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return true;
}

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

#include "LinuxShell.h"

#include "Driver.h"
#include "TestFiles.h"

#include <stdlib.h>

std::string LinuxPath(const char* windowsPath) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName = (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"),
                                                    "wine_get_unix_file_name");
    if (!unixName)
        return std::string();
    wchar_t wide[4096];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath, -1, wide, 4096))
        return std::string();
    char* name = unixName(wide);
    if (!name)
        return std::string();
    std::string path = name;
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int RunLinuxShell(const std::string& command) {
    // Wine gives no exit code of a Linux process: the script leaves its
    // status in a file.
    TempDir dir("vrk-sh");
    std::string status = LinuxPath(dir / "status");
    std::string script = LinuxPath(dir / "run.sh");
    if (status.empty() || script.empty() ||
        !WriteBytes(dir / "run.sh",
                    "(" + command + ") >/dev/null 2>&1\necho $? >" + ShellQuote(status + ".tmp") +
                        "\nmv " + ShellQuote(status + ".tmp") + " " + ShellQuote(status) + "\n"))
        return -1;
    Process shell;
    if (!shell.Start(CString("/bin/sh ") + script.c_str()))
        return -1;
    if (!WaitFor([&] { return FileExists(dir / "status"); }))
        return -1;
    return atoi(ReadBytes(dir / "status").c_str());
}

Immutable::Immutable(const char* windowsPath) : m_path(LinuxPath(windowsPath)) {
    m_made = !m_path.empty() && RunLinuxShell("chattr +i " + ShellQuote(m_path)) == 0;
}

Immutable::~Immutable() {
    if (m_made)
        RunLinuxShell("chattr -i " + ShellQuote(m_path));
}

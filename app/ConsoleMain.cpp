// Vorelkin.com, the console program beside Vorelkin.exe: cmd and PowerShell
// wait for it, show what it prints and take its exit code (a GUI program
// they start and leave). Typed as "Vorelkin", it runs before the .exe, as
// PATHEXT lists .COM first. Without a command it starts Vorelkin.exe with the
// same arguments, the popup, and returns at once.
#include "ScriptCommands.h"
#include "CommandRules.h"
#include "ScriptOutput.h"
#include "../base/WideText.h"

#include "../framework/Scoped.h"

#include <stdlib.h>
#include <wchar.h>

namespace {
// The command line's arguments: all after the program's own name, which
// quotes may hold blanks in, as the system reads it ("CreateProcessW").
const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* at = commandLine;
    bool quoted = false;
    for (; *at && (quoted || (*at != L' ' && *at != L'\t')); ++at) {
        if (*at == L'"')
            quoted = !quoted;
    }
    return at;
}

int StartWindowProgram() {
    wchar_t path[32768];
    DWORD length = GetModuleFileNameW(nullptr, path, 32768 - 4);
    wchar_t* dot = length ? wcsrchr(path, L'.') : nullptr;
    if (!dot || wcschr(dot, L'\\')) {
        Tell(L"Vorelkin.exe の場所がわかりません", L"");
        return kCommandNoFolder;
    }
    wcscpy(dot, L".exe");
    WideText line(L"\"");
    line += path;
    line += L"\"";
    line += ArgumentsOf(GetCommandLineW());
    wchar_t* writable = _wcsdup(line); // CreateProcessW may write into it
    // No standard handles of ours: a script reading this program's output
    // would wait for the popup's end too. (Wine hands a child the parent's
    // unless it is given others.)
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION started = {};
    BOOL ran = writable && CreateProcessW(path, writable, nullptr, nullptr, FALSE, 0, nullptr,
                                          nullptr, &startup, &started);
    DWORD error = GetLastError();
    free(writable);
    if (!ran) {
        Tell(L"起動できません: ", path, error);
        return kCommandNoFolder;
    }
    ScopedKernelHandle process(started.hProcess), thread(started.hThread);
    return kCommandDone;
}
} // namespace

int main() {
    int exitCode = kCommandDone;
    if (RunScriptCommand(GetCommandLineW(), true, exitCode))
        return exitCode;
    return StartWindowProgram();
}

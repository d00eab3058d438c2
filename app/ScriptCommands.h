// The commands for scripts, in both programs: /set, /get, /import, /help
// and /?; in the console program also /list to standard output. No window
// and no box, ever.
#pragma once

#include <windows.h>

// Runs the command the command line names and gives its exit code; false
// when it names none, for the popup, and for /list where the overview's
// window or its export takes it: every /list in Vorelkin.exe, and in the
// console program /list without a folder.
bool RunScriptCommand(const wchar_t* commandLine, bool console, int& exitCode);

// The status overview: every marked folder under a folder, in one window.
#pragma once

#include <windows.h>

// Opens the overview of the folder and everything beneath it and returns
// when the user closes it; with no folder (or an empty one), the system's
// folder picker asks for one first, and a cancelled picker ends at once. The
// process's exit code. The settings are loaded once the folder is known, so
// a cancelled picker leaves no settings file behind.
int RunOverviewWindow(const wchar_t* folder);

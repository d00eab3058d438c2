// The status overview: every marked folder under a folder, in one window.
#pragma once

#include <windows.h>

// Opens the overview of the folder and everything beneath it, and ends the
// process when the user closes it, whatever its scan is doing. With no
// folder (or an empty one), the system's folder picker asks for one first,
// and a cancelled picker ends at once. Returns the process's exit code when
// the window never opened. The settings are loaded once the folder is
// known, so a cancelled picker leaves no settings file behind.
int RunOverviewWindow(const wchar_t* folder);

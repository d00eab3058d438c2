// The status overview: every marked folder under a folder, in one window.
#pragma once

#include <windows.h>

// Opens the overview of the folder and everything beneath it and returns
// when the user closes it; with no folder, the system's folder picker asks
// for one first, and a cancelled picker ends at once. The process's exit
// code. The caller has loaded the settings, as the popup's start-up does.
int RunOverviewWindow(const wchar_t* folder);

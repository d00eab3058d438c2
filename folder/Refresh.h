// Makes every open folder window and the desktop redraw.
#pragma once

#include <windows.h>

// Posts an F5 press to the first list view of every folder window and of the
// desktop.
void PostRefreshKeys();
// Sends the refresh command to every visible, titled folder window.
void SendRefreshCommands();

BOOL CALLBACK RefreshCabinetProc(HWND window, LPARAM lParam);
BOOL CALLBACK RefreshExploreProc(HWND window, LPARAM lParam);
BOOL CALLBACK RefreshListViewProc(HWND window, LPARAM lParam);
void RefreshCabinet();
void RefreshExplore();

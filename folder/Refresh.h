// Makes every open folder window and the desktop redraw.
#pragma once

#include <windows.h>

// Posts an F5 press to the first list view of every folder window and of the
// desktop.
void PostRefreshKeys();
// Sends the refresh command to every visible, titled folder window and waits
// for their replies, at most three seconds in all.
void SendRefreshCommands();

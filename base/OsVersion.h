#pragma once

#include <windows.h>

// Version codes: 31 Win32s, 95, 98, 99 (Me), 3 and 4 (NT 3.5x, 4.0), 2000,
// 51 (NT 5.1 and later 5.x), 0 not recognised.
int ClassifyOSVersion(DWORD platformId, DWORD major, DWORD minor);

// The running system's version code.
int GetOSVersion();

#include "Refresh.h"

void PostRefreshKeys() {}

void SendRefreshCommands() {}

BOOL CALLBACK RefreshCabinetProc(HWND, LPARAM) { return TRUE; }

BOOL CALLBACK RefreshExploreProc(HWND, LPARAM) { return TRUE; }

BOOL CALLBACK RefreshListViewProc(HWND, LPARAM) { return TRUE; }

void RefreshCabinet() {}

void RefreshExplore() {}

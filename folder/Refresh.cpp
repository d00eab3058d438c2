#include "Refresh.h"

#include <string.h>

namespace {
const char kCabinetClass[] = "CabinetWClass";
const char kExploreClass[] = "ExploreWClass";
const char kDesktopClass[] = "Progman";
const char kListViewClass[] = "SysListView32";

const WPARAM kF5 = VK_F5;
const LPARAM kF5KeyData = 0x003F0001;      // repeat 1, scan code 0x3F, key going down
const WPARAM kRefreshCommand = 0x0001A220; // the folder window's refresh, as from an accelerator
const LPARAM kEnumParam = 1;
const UINT kCommandTimeoutMs = 3000;
const int kNameSize = 2048;

bool IsClass(const char* className, const char* wanted) {
    return strcmp(className, wanted) == 0;
}

void PostKeyInside(HWND window, const char* folderClass) {
    char className[kNameSize] = "";
    GetClassNameA(window, className, kNameSize);
    if (IsClass(className, folderClass) || IsClass(className, kDesktopClass))
        EnumChildWindows(window, RefreshListViewProc, kEnumParam);
}

// Threads whose window let a command time out. A hung shell thread owns
// many windows, and both walks would wait on each of them in turn; once
// found hung, a thread is passed over for the rest of the pass.
const int kHungMax = 16;
DWORD g_hungThreads[kHungMax];
int g_hungCount = 0;

bool IsKnownHung(DWORD thread) {
    for (int i = 0; i < g_hungCount; ++i) {
        if (g_hungThreads[i] == thread)
            return true;
    }
    return false;
}

// Top-level windows from the topmost down; a hung window costs at most the
// time limit instead of freezing the tool.
void SendCommandTo(const char* folderClass) {
    char text[kNameSize];
    char className[kNameSize];
    for (HWND window = GetTopWindow(GetDesktopWindow()); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (GetWindowTextA(window, text, kNameSize) <= 0)
            continue;
        if (!IsWindowVisible(window))
            continue;
        className[0] = '\0';
        GetClassNameA(window, className, kNameSize);
        if (!IsClass(className, folderClass) && !IsClass(className, kListViewClass))
            continue;
        DWORD thread = GetWindowThreadProcessId(window, nullptr);
        if (IsKnownHung(thread))
            continue;
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutA(window, WM_COMMAND, kRefreshCommand, 0, SMTO_ABORTIFHUNG,
                                 kCommandTimeoutMs, &ignored) &&
            g_hungCount < kHungMax)
            g_hungThreads[g_hungCount++] = thread;
    }
}
} // namespace

void PostRefreshKeys() {
    EnumWindows(RefreshCabinetProc, kEnumParam);
    EnumWindows(RefreshExploreProc, kEnumParam);
}

void SendRefreshCommands() {
    g_hungCount = 0;
    RefreshCabinet();
    RefreshExplore();
}

BOOL CALLBACK RefreshCabinetProc(HWND window, LPARAM) {
    PostKeyInside(window, kCabinetClass);
    return TRUE;
}

BOOL CALLBACK RefreshExploreProc(HWND window, LPARAM) {
    PostKeyInside(window, kExploreClass);
    return TRUE;
}

// Only the first list view of a window gets the key: FALSE ends its walk.
BOOL CALLBACK RefreshListViewProc(HWND window, LPARAM) {
    char className[kNameSize] = "";
    GetClassNameA(window, className, kNameSize);
    if (!IsClass(className, kListViewClass))
        return TRUE;
    PostMessageA(window, WM_KEYDOWN, kF5, kF5KeyData);
    return FALSE;
}

void RefreshCabinet() {
    SendCommandTo(kCabinetClass);
}

void RefreshExplore() {
    SendCommandTo(kExploreClass);
}

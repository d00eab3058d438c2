#include "Refresh.h"

#include "../base/Items.h"

#include <string.h>

namespace {
const char kCabinetClass[] = "CabinetWClass";
const char kExploreClass[] = "ExploreWClass";
const char kDesktopClass[] = "Progman";
const char kListViewClass[] = "SysListView32";

const WPARAM kF5 = VK_F5;
const LPARAM kF5KeyData = 0x003F0001;      // repeat 1, scan code 0x3F, key going down
const WPARAM kRefreshCommand = 0x0001A220; // the folder window's refresh, as from an accelerator
const DWORD kCommandPassLimitMs = 3000;    // for all the replies of one pass together
const int kNameSize = 2048;

enum class Kind { Other, Cabinet, Explore, Desktop, ListView };

// A top-level window as the snapshot saw it. Each question is a call into
// the window system (under Wine a round trip to the wineserver), so each is
// asked once for both passes.
struct ShellWindow {
    HWND window;
    Kind kind;
    bool takesCommand;  // visible and titled
    HWND firstListView; // inside a folder window or the desktop; null if none
};

// The top-level windows in Z order, topmost first. Windows of no interest are
// kept too, so that the key pass can tell whether the windows are still the
// ones the snapshot saw.
using Snapshot = Items<ShellWindow>;

Snapshot g_snapshot;
bool g_snapshotForKeys = false; // taken by a command pass, not yet used by a key pass

// Each command pass has a number of its own: a reply that comes after its
// pass stopped waiting carries an older one.
ULONG_PTR g_commandPass = 0;
int g_repliesOwed = 0;

bool IsClass(const char* className, const char* wanted) {
    return strcmp(className, wanted) == 0;
}

Kind KindOf(const char* className) {
    if (IsClass(className, kCabinetClass))
        return Kind::Cabinet;
    if (IsClass(className, kExploreClass))
        return Kind::Explore;
    if (IsClass(className, kDesktopClass))
        return Kind::Desktop;
    if (IsClass(className, kListViewClass))
        return Kind::ListView;
    return Kind::Other;
}

// Only the first list view of a window gets the key: FALSE ends its walk.
BOOL CALLBACK RefreshListViewProc(HWND window, LPARAM firstListView) {
    char className[kNameSize] = "";
    GetClassNameA(window, className, kNameSize);
    if (!IsClass(className, kListViewClass))
        return TRUE;
    *(HWND*)firstListView = window;
    return FALSE;
}

BOOL CALLBACK AddToSnapshotProc(HWND window, LPARAM) {
    char className[kNameSize] = "";
    GetClassNameA(window, className, kNameSize);
    ShellWindow shell = {window, KindOf(className), false, nullptr};
    if (shell.kind == Kind::Cabinet || shell.kind == Kind::Explore ||
        shell.kind == Kind::ListView) {
        char text[kNameSize];
        shell.takesCommand = GetWindowTextA(window, text, kNameSize) > 0 && IsWindowVisible(window);
    }
    g_snapshot.Add(shell);
    return TRUE;
}

void TakeSnapshot() {
    g_snapshot.Clear();
    EnumWindows(AddToSnapshotProc, 0);
}

// The children the key pass needs, looked for once the commands are out, so
// that the windows refresh meanwhile.
void FindListViews() {
    for (ShellWindow& shell : g_snapshot) {
        if (shell.kind == Kind::Cabinet || shell.kind == Kind::Explore ||
            shell.kind == Kind::Desktop)
            EnumChildWindows(shell.window, RefreshListViewProc, (LPARAM)&shell.firstListView);
    }
}

struct Comparison {
    const ShellWindow* next;
    bool same;
};

BOOL CALLBACK CompareProc(HWND window, LPARAM lParam) {
    Comparison& comparison = *(Comparison*)lParam;
    comparison.same = comparison.next != g_snapshot.end() && comparison.next->window == window;
    ++comparison.next;
    return comparison.same;
}

// The same top-level windows in the same order; asks nothing of them.
bool SnapshotStillCurrent() {
    Comparison comparison = {g_snapshot.begin(), true};
    EnumWindows(CompareProc, (LPARAM)&comparison);
    return comparison.same && comparison.next == g_snapshot.end();
}

void PostKeysInside(Kind folderKind) {
    for (const ShellWindow& shell : g_snapshot) {
        if ((shell.kind == folderKind || shell.kind == Kind::Desktop) && shell.firstListView)
            PostMessageA(shell.firstListView, WM_KEYDOWN, kF5, kF5KeyData);
    }
}

void CALLBACK CountReply(HWND, UINT, ULONG_PTR pass, LRESULT) {
    if (pass == g_commandPass)
        --g_repliesOwed;
}

// Each shell window refreshes on its own thread, so all are asked at once and
// none waits for another.
void SendCommandTo(Kind folderKind) {
    for (const ShellWindow& shell : g_snapshot) {
        if (!shell.takesCommand || (shell.kind != folderKind && shell.kind != Kind::ListView))
            continue;
        // A window of this thread is answered inside the call, counted first.
        ++g_repliesOwed;
        if (!SendMessageCallbackA(shell.window, WM_COMMAND, kRefreshCommand, 0, CountReply,
                                  g_commandPass))
            --g_repliesOwed; // closed since the snapshot: no reply will come
    }
}

// Replies arrive as messages sent to this thread. Only those are handled
// meanwhile, as during SendMessage; a hung window costs at most the limit.
void AwaitReplies() {
    DWORD start = GetTickCount();
    while (g_repliesOwed > 0) {
        DWORD waited = GetTickCount() - start;
        if (waited >= kCommandPassLimitMs)
            return;
        MsgWaitForMultipleObjectsEx(0, nullptr, kCommandPassLimitMs - waited, QS_SENDMESSAGE,
                                    MWMO_INPUTAVAILABLE);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void RefreshCabinet() {
    SendCommandTo(Kind::Cabinet);
}

void RefreshExplore() {
    SendCommandTo(Kind::Explore);
}
} // namespace

// The command pass runs just before and leaves its snapshot; without one, or
// when the top-level windows have changed since, the key pass takes its own.
void PostRefreshKeys() {
    if (!g_snapshotForKeys || !SnapshotStillCurrent()) {
        TakeSnapshot();
        FindListViews();
    }
    g_snapshotForKeys = false;
    PostKeysInside(Kind::Cabinet);
    PostKeysInside(Kind::Explore);
}

void SendRefreshCommands() {
    TakeSnapshot();
    g_snapshotForKeys = true;
    ++g_commandPass;
    g_repliesOwed = 0;
    RefreshCabinet();
    RefreshExplore();
    FindListViews();
    AwaitReplies();
}

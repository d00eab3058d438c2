#include "FolderCollector.h"

#include <stdlib.h>
#include <string.h>

bool g_bCollectingFolders = false;

namespace {
const ULONG_PTR kHandOverMark = 0x564B4631; // "VKF1"
const DWORD kMaxMessageBytes = 64 * 1024;
// Long enough for a collector that is still starting, under load.
const DWORD kWaitMs = 10000;
const int kMaxOthers = 64;
const wchar_t kClass[] = L"VorelkinFolderCollector";
TargetFolders* g_collected = nullptr;

// The user's name: one user's launches never find another's.
WideText UserName() {
    wchar_t name[257] = L"";
    DWORD size = 257;
    GetUserNameW(name, &size);
    return WideText(name);
}

bool SameUserAsUs(HWND sender) {
    DWORD pid = 0;
    GetWindowThreadProcessId(sender, &pid);
    ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    HANDLE token = nullptr, ours = nullptr;
    if (!process.IsValid() || !OpenProcessToken(process, TOKEN_QUERY, &token))
        return false;
    ScopedKernelHandle theirToken(token);
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &ours))
        return false;
    ScopedKernelHandle ourToken(ours);
    char theirs[256], mine[256];
    DWORD size = 0;
    return GetTokenInformation(theirToken, TokenUser, theirs, sizeof(theirs), &size) &&
           GetTokenInformation(ourToken, TokenUser, mine, sizeof(mine), &size) &&
           EqualSid(((TOKEN_USER*)theirs)->User.Sid, ((TOKEN_USER*)mine)->User.Sid);
}

LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA)
        return DefWindowProcW(window, message, wParam, lParam);
    return g_bCollectingFolders && g_collected && SameUserAsUs((HWND)wParam) &&
           TakeHandOver(*(const COPYDATASTRUCT*)lParam, *g_collected);
}

// The hand-over's names: each ends in a NUL, and an empty one ends them.
struct HandOverNames {
    explicit HandOverNames(const TargetFolders& folders) {
        for (int i = 0; i < folders.Count(); ++i)
            Append(folders.NameOf(folders.Path(i)));
        Append(L"");
    }
    HandOverNames(const HandOverNames&) = delete;
    HandOverNames& operator=(const HandOverNames&) = delete;
    ~HandOverNames() { free(text); }
    void Append(const wchar_t* name) {
        size_t length = wcslen(name) + 1;
        wchar_t* joined = (wchar_t*)realloc(text, sizeof(wchar_t) * (count + length));
        if (!joined)
            abort();
        memcpy(joined + count, name, sizeof(wchar_t) * length);
        text = joined;
        count += length;
    }
    wchar_t* text = nullptr;
    size_t count = 0;
};
} // namespace

FolderCollector::~FolderCollector() {
    g_bCollectingFolders = false;
    g_collected = nullptr;
    if (m_window)
        DestroyWindow(m_window);
}

bool FolderCollector::HandOverOrCollect(const TargetFolders& folders, TargetFolders& mine) {
    WideText user = UserName(), turnName(L"Local\\Vorelkin.folders.");
    turnName += user;
    m_turn.Reset(CreateMutexW(nullptr, FALSE, turnName));
    DWORD waited = m_turn.IsValid() ? WaitForSingleObject(m_turn, kWaitMs) : WAIT_FAILED;
    // Our window names the sender to the collector, which checks its user.
    WNDCLASSW windowClass = {0,       Receive, 0,       0,       GetModuleHandleW(nullptr),
                             nullptr, nullptr, nullptr, nullptr, kClass};
    RegisterClassW(&windowClass);
    m_window = CreateWindowW(kClass, user, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    HandOverNames names(folders);
    COPYDATASTRUCT message = {kHandOverMark, (DWORD)(names.count * sizeof(wchar_t)), names.text};
    // Listed before any is asked: a launch that hands over ends at once, and
    // the search cannot go on after a window that is gone.
    HWND others[kMaxOthers];
    int count = 0;
    for (HWND other = nullptr;
         count < kMaxOthers &&
         (other = FindWindowExW(HWND_MESSAGE, other, kClass, user)) != nullptr;) {
        if (other != m_window)
            others[count++] = other;
    }
    bool taken = false;
    for (int i = 0; i < count && !taken; ++i) {
        DWORD_PTR result = 0;
        taken = SendMessageTimeoutW(others[i], WM_COPYDATA, (WPARAM)m_window, (LPARAM)&message,
                                    SMTO_ABORTIFHUNG, kWaitMs, &result) &&
                result;
    }
    g_collected = &mine;
    g_bCollectingFolders = !taken && m_window;
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        ReleaseMutex(m_turn);
    return taken;
}

bool TakeHandOver(const COPYDATASTRUCT& message, TargetFolders& folders) {
    const DWORD size = message.cbData;
    const wchar_t* names = (const wchar_t*)message.lpData;
    if (message.dwData != kHandOverMark || !names || size < 2 * sizeof(wchar_t) ||
        size > kMaxMessageBytes || size % sizeof(wchar_t))
        return false;
    const DWORD count = size / sizeof(wchar_t);
    if (names[count - 1] || names[count - 2])
        return false;
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1) {
        DWORD attributes = GetFileAttributesW(at);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
    }
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1)
        folders.Add(at);
    return true;
}

#include "FolderCollector.h"

#include <sddl.h>
#include <stdlib.h>
#include <string.h>

bool g_bCollectingFolders = false;

namespace {
const DWORD kMarkNames = 0x32464B56;   // "VKF2": the names follow
const DWORD kMarkTaken = 0x32544B56;   // "VKT2"
const DWORD kMarkRefused = 0x32524B56; // "VKR2"
const DWORD kMaxMessageBytes = 64 * 1024;
// Long enough for a collector that is still starting, or serving others.
const DWORD kConnectMs = 20000;
const DWORD kWriteMs = 5000;
// Longer than all the collector's own limits together, so that a live
// collector always answers before the launch gives up.
const DWORD kAnswerMs = 30000;
const DWORD kReadMs = 2000;
const DWORD kCheckMs = 5000;
const DWORD kUiMs = 5000;
const UINT kTakeMessage = WM_APP + 1;
const wchar_t kWindowClass[] = L"VorelkinHandOver";
const int kNamesShown = 10;

// A process's user, read into a buffer aligned for TOKEN_USER.
class ProcessUser {
  public:
    explicit ProcessUser(HANDLE process) {
        HANDLE token = nullptr;
        if (!OpenProcessToken(process, TOKEN_QUERY, &token))
            return;
        ScopedKernelHandle owned(token);
        DWORD size = 0;
        m_read = GetTokenInformation(token, TokenUser, &m_buffer, sizeof(m_buffer), &size) &&
                 IsValidSid(m_buffer.user.User.Sid);
    }
    PSID Sid() const { return m_read ? m_buffer.user.User.Sid : nullptr; }

  private:
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } m_buffer;
    bool m_read = false;
};

WideText LongPathOf(const wchar_t* path) {
    DWORD size = GetLongPathNameW(path, nullptr, 0);
    wchar_t* full = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    DWORD length = full ? GetLongPathNameW(path, full, size) : 0;
    WideText text(length && length < size ? full : path);
    free(full);
    return text;
}

// The executable of a process of this user, in this session, as its long
// path; empty for any other process, and when it cannot be read.
WideText ExecutableOfOurs(DWORD pid) {
    DWORD session = 0, ourSession = 0;
    ScopedKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    ProcessUser theirs(process), ours(GetCurrentProcess());
    if (!process.IsValid() || !theirs.Sid() || !ours.Sid() || !EqualSid(theirs.Sid(), ours.Sid()) ||
        !ProcessIdToSessionId(pid, &session) ||
        !ProcessIdToSessionId(GetCurrentProcessId(), &ourSession) || session != ourSession)
        return WideText();
    const DWORD room = 32768;
    wchar_t* path = (wchar_t*)malloc(sizeof(wchar_t) * room);
    DWORD size = room;
    WideText image;
    if (path && QueryFullProcessImageNameW(process, 0, path, &size))
        image = LongPathOf(path);
    free(path);
    return image;
}

// An access list that admits this user alone.
class OwnerOnly {
  public:
    OwnerOnly() : m_user(GetCurrentProcess()) {
        PSID sid = m_user.Sid();
        m_built = sid &&
                  InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  InitializeAcl(&m_acl.acl, sizeof(m_acl), ACL_REVISION) &&
                  AddAccessAllowedAce(&m_acl.acl, ACL_REVISION, GENERIC_ALL, sid) &&
                  SetSecurityDescriptorDacl(&m_descriptor, TRUE, &m_acl.acl, FALSE);
        m_attributes = {sizeof(m_attributes), &m_descriptor, FALSE};
    }
    SECURITY_ATTRIBUTES* Attributes() { return m_built ? &m_attributes : nullptr; }

  private:
    ProcessUser m_user;
    SECURITY_DESCRIPTOR m_descriptor;
    union {
        ACL acl;
        DWORD bytes[64];
    } m_acl;
    SECURITY_ATTRIBUTES m_attributes;
    bool m_built = false;
};

// A reserved device name such as NUL or COM1, with or without an extension.
bool IsDeviceName(const wchar_t* component, int length) {
    int base = 0;
    while (base < length && component[base] != L'.')
        ++base;
    while (base > 0 && component[base - 1] == L' ')
        --base;
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices) {
        if ((int)wcslen(device) == base && _wcsnicmp(component, device, (size_t)base) == 0)
            return true;
    }
    return base == 4 &&
           (_wcsnicmp(component, L"COM", 3) == 0 || _wcsnicmp(component, L"LPT", 3) == 0) &&
           component[3] >= L'1' && component[3] <= L'9';
}

// A full path on a drive letter: no share, no device, no "." or "..", no
// stream, nothing a launch's own full path would not be. Decided from the
// text alone, before any file is touched. "\\?\X:\" is refused too: the
// launch that holds such a name opens its own popup.
bool IsPlainLocalPath(const wchar_t* name) {
    if (!((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'a' && name[0] <= L'z')) ||
        name[1] != L':' || name[2] != L'\\')
        return false;
    const wchar_t* component = name + 3;
    for (const wchar_t* at = component;; ++at) {
        if (*at == L'\0' || *at == L'\\') {
            int length = (int)(at - component);
            if ((length == 0 && *at) || (length == 1 && component[0] == L'.') ||
                (length == 2 && component[0] == L'.' && component[1] == L'.') ||
                IsDeviceName(component, length))
                return false;
            if (!*at)
                return true;
            component = at + 1;
        } else if (*at < 0x20 || wcschr(L"/:*?\"<>|", *at)) {
            return false;
        }
    }
}

// The names of a sound message, each an existing folder that the -A calls
// can name, into incoming; false, leaving it empty, for any other message.
bool ReadHandOver(const BYTE* message, DWORD size, TargetFolders& incoming) {
    DWORD mark = 0;
    if (size < sizeof(mark) + 2 * sizeof(wchar_t) || size > kMaxMessageBytes ||
        (size - sizeof(mark)) % sizeof(wchar_t))
        return false;
    memcpy(&mark, message, sizeof(mark));
    const wchar_t* names = (const wchar_t*)(message + sizeof(mark));
    const DWORD count = (size - sizeof(mark)) / sizeof(wchar_t);
    if (mark != kMarkNames || names[count - 1] || names[count - 2] || !names[0])
        return false;
    int nameCount = 0;
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1) {
        if (++nameCount > TargetFolders::kMax || !IsPlainLocalPath(at))
            return false;
    }
    const DWORD start = GetTickCount();
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1) {
        DWORD attributes = GetFileAttributesW(at);
        CString path;
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !AnsiPathOf(at, path) || GetTickCount() - start > kCheckMs) {
            incoming.Clear();
            return false;
        }
        incoming.AddSpelled(at, path);
    }
    return true;
}

// A hand-over message of the folders, as the collector reads it.
class HandOverMessage {
  public:
    explicit HandOverMessage(const TargetFolders& folders) {
        Append(&kMarkNames, sizeof(kMarkNames));
        for (int i = 0; i < folders.Count(); ++i)
            Append(folders.Name(i), sizeof(wchar_t) * (wcslen(folders.Name(i)) + 1));
        Append(L"", sizeof(wchar_t));
    }
    HandOverMessage(const HandOverMessage&) = delete;
    HandOverMessage& operator=(const HandOverMessage&) = delete;
    ~HandOverMessage() { free(m_bytes); }
    const BYTE* Bytes() const { return m_bytes; }
    DWORD Size() const { return (DWORD)m_size; }

  private:
    void Append(const void* bytes, size_t size) {
        BYTE* joined = (BYTE*)realloc(m_bytes, m_size + size);
        if (!joined)
            abort();
        memcpy(joined + m_size, bytes, size);
        m_bytes = joined;
        m_size += size;
    }
    BYTE* m_bytes = nullptr;
    size_t m_size = 0;
};

// Waits for an overlapped transfer on the pipe; cancels it when the time is
// up, or when stop is set. True when it completed.
bool Complete(HANDLE pipe, OVERLAPPED& io, BOOL done, DWORD timeoutMs, DWORD& bytes,
              HANDLE stop = nullptr) {
    if (!done && GetLastError() != ERROR_IO_PENDING)
        return false;
    HANDLE events[2] = {io.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, timeoutMs) != WAIT_OBJECT_0)
        CancelIo(pipe);
    return GetOverlappedResult(pipe, &io, &bytes, TRUE) != FALSE;
}

void TellUnanswered(const TargetFolders& folders) {
    WideText text(L"先に開いた Vorelkin にフォルダを渡しましたが、返事がありません。"
                  L"そちらで付けられることがあるので、ここでは開きません。"
                  L"そちらを閉じてから、もう一度選んでください:");
    for (int i = 0; i < folders.Count() && i < kNamesShown; ++i) {
        text += L"\r\n";
        text += folders.Name(i);
    }
    if (folders.Count() > kNamesShown) {
        wchar_t more[64];
        wsprintfW(more, L"\r\nほか %d 個", folders.Count() - kNamesShown);
        text += more;
    }
    WideMessageBox(text);
}
} // namespace

WideText OwnExecutablePath() {
    const DWORD room = 32768;
    wchar_t* path = (wchar_t*)malloc(sizeof(wchar_t) * room);
    DWORD length = path ? GetModuleFileNameW(nullptr, path, room) : 0;
    WideText full = length && length < room ? LongPathOf(path) : WideText();
    free(path);
    return full;
}

WideText CollectorPipeName(const wchar_t* exePath) {
    WideText name(L"\\\\.\\pipe\\Vorelkin.");
    ProcessUser user(GetCurrentProcess());
    wchar_t* sid = nullptr;
    if (user.Sid() && ConvertSidToStringSidW(user.Sid(), &sid)) {
        name += sid;
        LocalFree(sid);
    }
    DWORD session = 0, hash = 2166136261u; // FNV-1a of the path in capitals
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    const WideText path = LongPathOf(exePath);
    for (const wchar_t* at = path; *at; ++at) {
        wchar_t upper = *at;
        CharUpperBuffW(&upper, 1);
        hash = (hash ^ upper) * 16777619u;
    }
    wchar_t tail[32];
    wsprintfW(tail, L".%lu.%08lx", session, hash);
    name += tail;
    return name;
}

HandOverAnswer SendHandOver(const wchar_t* pipeName, const void* message, DWORD size) {
    // Anonymous: the server end learns who we are from our process, and can
    // never act as us.
    const DWORD flags = FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS;
    const DWORD start = GetTickCount();
    ScopedFile pipe;
    for (;;) {
        pipe.Reset(CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               flags, nullptr));
        if (pipe.IsValid())
            break;
        const DWORD error = GetLastError(), waited = GetTickCount() - start;
        if (error == ERROR_FILE_NOT_FOUND)
            return HandOverAnswer::kNoCollector;
        if (error != ERROR_PIPE_BUSY || waited >= kConnectMs)
            return HandOverAnswer::kRefused; // nothing was sent
        WaitNamedPipeW(pipeName, kConnectMs - waited < 500 ? kConnectMs - waited : 500);
    }
    // Only a collector of this executable, of this user, in this session.
    ULONG server = 0;
    DWORD mode = PIPE_READMODE_MESSAGE;
    WideText ours = OwnExecutablePath();
    if (!GetNamedPipeServerProcessId(pipe, &server) ||
        lstrcmpiW(ExecutableOfOurs(server), ours) != 0 || !size ||
        !SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr))
        return HandOverAnswer::kRefused;
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED io = {};
    io.hEvent = event;
    DWORD bytes = 0, answer = 0;
    // A write that did not complete left the collector no whole message.
    if (!event.IsValid() ||
        !Complete(pipe, io, WriteFile(pipe, message, size, nullptr, &io), kWriteMs, bytes))
        return HandOverAnswer::kRefused;
    io = {};
    io.hEvent = event;
    if (!Complete(pipe, io, ReadFile(pipe, &answer, sizeof(answer), nullptr, &io), kAnswerMs,
                  bytes) ||
        bytes != sizeof(answer))
        return HandOverAnswer::kUnanswered;
    return answer == kMarkTaken     ? HandOverAnswer::kTaken
           : answer == kMarkRefused ? HandOverAnswer::kRefused
                                    : HandOverAnswer::kUnanswered;
}

FolderCollector::FolderCollector() {
    InitializeCriticalSection(&m_lock);
}

FolderCollector::~FolderCollector() {
    g_bCollectingFolders = false;
    if (m_thread.IsValid()) {
        SetEvent(m_stop);
        // The pipe's thread may be offering folders to this one: answer it.
        HANDLE thread = m_thread;
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1) {
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    if (m_window)
        DestroyWindow(m_window);
    DeleteCriticalSection(&m_lock);
}

bool FolderCollector::HandOverOrCollect(const TargetFolders& folders, TargetFolders& mine) {
    HandOverMessage message(folders);
    // Too much for one message: only ask whether a collector runs.
    const bool fits = folders.Count() <= TargetFolders::kMax && message.Size() <= kMaxMessageBytes;
    const WideText pipeName = CollectorPipeName(OwnExecutablePath());
    // Two launches may both find no collector: one makes the pipe, the other
    // then hands over to it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        switch (SendHandOver(pipeName, message.Bytes(), fits ? message.Size() : 0)) {
        case HandOverAnswer::kTaken:
            return true;
        case HandOverAnswer::kUnanswered:
            TellUnanswered(folders);
            return true;
        case HandOverAnswer::kRefused:
            return false;
        case HandOverAnswer::kNoCollector:
            break;
        }
        if (StartServing(pipeName, mine))
            return false;
    }
    return false;
}

bool FolderCollector::StartServing(const wchar_t* pipeName, TargetFolders& mine) {
    OwnerOnly security;
    if (!security.Attributes())
        return true; // no pipe without the access list: this launch goes alone
    // The first instance, or none: no one else can have made the pipe first.
    m_pipe.Reset(CreateNamedPipeW(
        pipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        kMaxMessageBytes, kMaxMessageBytes, 0, security.Attributes()));
    if (!m_pipe.IsValid())
        return false;
    WNDCLASSW windowClass = {0,       Receive, 0,       0,       GetModuleHandleW(nullptr),
                             nullptr, nullptr, nullptr, nullptr, kWindowClass};
    RegisterClassW(&windowClass);
    m_window = CreateWindowW(kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_window || !m_stop.IsValid())
        return true;
    SetWindowLongPtrW(m_window, GWLP_USERDATA, (LONG_PTR)this);
    m_mine = &mine;
    m_thread.Reset(CreateThread(nullptr, 0, ServeThread, this, 0, nullptr));
    g_bCollectingFolders = m_thread.IsValid();
    return true;
}

DWORD WINAPI FolderCollector::ServeThread(void* self) {
    ((FolderCollector*)self)->Serve();
    return 0;
}

void FolderCollector::Serve() {
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    while (event.IsValid() && WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0) {
        OVERLAPPED io = {};
        io.hEvent = event;
        DWORD bytes = 0;
        bool connected = ConnectNamedPipe(m_pipe, &io) || GetLastError() == ERROR_PIPE_CONNECTED;
        if (!connected && GetLastError() == ERROR_IO_PENDING)
            connected = Complete(m_pipe, io, FALSE, INFINITE, bytes, m_stop);
        if (connected && WaitForSingleObject(m_stop, 0) != WAIT_OBJECT_0)
            connected = ServeClient();
        DisconnectNamedPipe(m_pipe);
        if (!connected)
            WaitForSingleObject(m_stop, 50); // no busy loop on a pipe gone wrong
    }
}

bool FolderCollector::ServeClient() {
    // Only this user's launches in this session; any other goes unanswered.
    ULONG client = 0;
    if (!GetNamedPipeClientProcessId(m_pipe, &client) || !*(const wchar_t*)ExecutableOfOurs(client))
        return true;
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    BYTE* message = (BYTE*)malloc(kMaxMessageBytes);
    if (!event.IsValid() || !message) {
        free(message);
        return false;
    }
    OVERLAPPED io = {};
    io.hEvent = event;
    DWORD size = 0;
    // A message over the limit fails with ERROR_MORE_DATA: refused whole.
    bool read = Complete(m_pipe, io, ReadFile(m_pipe, message, kMaxMessageBytes, nullptr, &io),
                         kReadMs, size, m_stop);
    TargetFolders incoming;
    const DWORD answer = read && ReadHandOver(message, size, incoming) && Offer(incoming)
                             ? kMarkTaken
                             : kMarkRefused;
    free(message);
    io = {};
    io.hEvent = event;
    DWORD bytes = 0;
    if (!Complete(m_pipe, io, WriteFile(m_pipe, &answer, sizeof(answer), nullptr, &io), kReadMs,
                  bytes, m_stop))
        return true;
    // The launch closes its end once it has read the answer; disconnecting
    // before that would throw the answer away.
    BYTE rest[256];
    io = {};
    io.hEvent = event;
    Complete(m_pipe, io, ReadFile(m_pipe, rest, sizeof(rest), nullptr, &io), kReadMs, bytes,
             m_stop);
    return true;
}

bool FolderCollector::Offer(const TargetFolders& incoming) {
    EnterCriticalSection(&m_lock);
    m_offered = &incoming;
    m_state = State::kPending;
    const WPARAM id = ++m_offerId;
    LeaveCriticalSection(&m_lock);
    // Only the UI thread knows whether the popup still collects. An answer
    // that comes after the time is up finds the offer withdrawn.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_window, kTakeMessage, id, 0, SMTO_NORMAL, kUiMs, &result);
    EnterCriticalSection(&m_lock);
    const bool taken = m_state == State::kTaken;
    m_state = State::kIdle;
    m_offered = nullptr;
    LeaveCriticalSection(&m_lock);
    return taken;
}

// On the UI thread. Another process that sends this message can do no more
// than have an offer that was checked already taken sooner.
void FolderCollector::TakeOffered(WPARAM id) {
    EnterCriticalSection(&m_lock);
    if (id == m_offerId && m_state == State::kPending) {
        m_state = g_bCollectingFolders ? State::kTaken : State::kRefused;
        for (int i = 0; m_state == State::kTaken && i < m_offered->Count(); ++i)
            m_mine->AddSpelled(m_offered->Name(i), m_offered->Path(i));
    }
    LeaveCriticalSection(&m_lock);
}

LRESULT CALLBACK FolderCollector::Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FolderCollector* collector = (FolderCollector*)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (message != kTakeMessage || !collector)
        return DefWindowProcW(window, message, wParam, lParam);
    collector->TakeOffered(wParam);
    return 0;
}

#include "FolderCollector.h"

#include <stdlib.h>
#include <string.h>

namespace {
const DWORD kReadMs = 2000;
// A launch closes as soon as it has its answer; one that does not in this
// time keeps the others from the pipe no longer.
const DWORD kCloseMs = 10000;
const DWORD kUiMs = 5000;
const UINT kTakeMessage = WM_APP + 1;
const wchar_t kWindowClass[] = L"VorelkinHandOver";
const int kNamesShown = 10;

void TellUnanswered(const TargetFolders& folders) {
    WideText text(L"先に開いた Vorelkin にフォルダを渡しましたが、返事がありませんでした。"
                  L"二重に付けないよう、ここでは一覧を開きません。"
                  L"そちらで付かなかったときは、もう一度選んでください:");
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
    const bool fits = folders.Count() <= TargetFolders::kMax && message.Size() <= kMaxHandOverBytes;
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
    m_pipe.Reset(CreateCollectorPipe(pipeName));
    if (!m_pipe.IsValid())
        return false;
    WNDCLASSW windowClass = {0,       Receive, 0,       0,       GetModuleHandleW(nullptr),
                             nullptr, nullptr, nullptr, nullptr, kWindowClass};
    RegisterClassW(&windowClass);
    m_window = CreateWindowW(kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             windowClass.hInstance, nullptr);
    m_stop.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (m_window && m_stop.IsValid()) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, (LONG_PTR)this);
        m_mine = &mine;
        m_thread.Reset(CreateThread(nullptr, 0, ServeThread, this, 0, nullptr));
    }
    g_bCollectingFolders = m_thread.IsValid();
    if (!g_bCollectingFolders)
        m_pipe.Reset(); // a pipe no one serves would keep launches waiting
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
            connected = CompleteIo(m_pipe, io, FALSE, INFINITE, bytes, m_stop);
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
    BYTE* message = (BYTE*)malloc(kMaxHandOverBytes);
    if (!event.IsValid() || !message) {
        free(message);
        return false;
    }
    OVERLAPPED io = {};
    io.hEvent = event;
    DWORD size = 0;
    // A message over the limit fails with ERROR_MORE_DATA: refused whole.
    bool read = CompleteIo(m_pipe, io, ReadFile(m_pipe, message, kMaxHandOverBytes, nullptr, &io),
                           kReadMs, size, m_stop);
    TargetFolders incoming;
    const DWORD answer = read && ReadHandOver(message, size, incoming) && Offer(incoming)
                             ? kMarkTaken
                             : kMarkRefused;
    free(message);
    io = {};
    io.hEvent = event;
    DWORD bytes = 0;
    if (CompleteIo(m_pipe, io, WriteFile(m_pipe, &answer, sizeof(answer), nullptr, &io), kReadMs,
                   bytes, m_stop))
        AwaitClose(event);
    return true;
}

// The launch closes its end once it has read the answer. Disconnecting
// before that throws the answer away ("any unread data in the pipe is
// discarded", DisconnectNamedPipe), so whatever the launch still sends (the
// rest of a message over the limit, a message that came after the read's
// time) is read and dropped until its end is closed.
void FolderCollector::AwaitClose(HANDLE event) {
    const DWORD start = GetTickCount();
    BYTE rest[256];
    for (DWORD waited; (waited = GetTickCount() - start) < kCloseMs;) {
        OVERLAPPED io = {};
        io.hEvent = event;
        DWORD bytes = 0;
        if (!CompleteIo(m_pipe, io, ReadFile(m_pipe, rest, sizeof(rest), nullptr, &io),
                        kCloseMs - waited, bytes, m_stop) &&
            GetLastError() != ERROR_MORE_DATA)
            return; // closed, or the time is up
    }
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

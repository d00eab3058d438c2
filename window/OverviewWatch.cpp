#include "OverviewWatch.h"

#include "OverviewScan.h"

#include "../overview/MarkPaths.h"

#include <algorithm>
#include <stdlib.h>

namespace {
// A burst ends after this long without a change, or this long after it
// began, so a build writing for minutes still shows its marks.
const DWORD kQuietMs = 150;
const DWORD kBurstMs = 1000;
// The pause before the next read of the changes, which gathers them in
// batches rather than one wake per change.
const DWORD kBatchMs = 50;
// Past this many folders in one burst, reading the tree again costs less.
const int kMostScopes = 20000;
// A desktop.ini held while it is written is read again this many times.
const int kMostTries = 5;
// The system fills at most 64 KB for a folder on a share ("ReadDirectoryChangesW
// function": a larger buffer fails there with ERROR_INVALID_PARAMETER).
const DWORD kBufferBytes = 64 * 1024;
const DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                       FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_LAST_WRITE;

int ComparePath(const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) - CSTR_EQUAL;
}

bool IsName(const wchar_t* name, int length, const wchar_t* wanted) {
    return ComparePath(name, length, wanted, -1) == 0;
}

class FoundInto final : public MarkScanSink {
  public:
    explicit FoundInto(MarkList& list) : m_list(list) {}
    void Found(const FolderMark& mark) override { m_list.Push(new FolderMark(mark)); }

  private:
    MarkList& m_list;
};
} // namespace

void DeleteBursts(WatchBurst* first) {
    while (first) {
        WatchBurst* next = first->next;
        delete first;
        first = next;
    }
}

WatchBurst::~WatchBurst() {
    Clear();
    free(scopes);
}

void WatchBurst::Clear() {
    for (int i = 0; i < count; ++i)
        free(scopes[i].folder);
    count = 0;
    found.DeleteAll();
}

void WatchBurst::Add(const wchar_t* folder, bool deep, bool mayHoldRows, int tries) {
    if (count == m_capacity) {
        m_capacity = m_capacity ? m_capacity * 2 : 64;
        Scope* grown = (Scope*)realloc(scopes, sizeof(Scope) * m_capacity);
        if (!grown)
            abort(); // as every allocation of the program
        scopes = grown;
    }
    wchar_t* copy = _wcsdup(folder);
    if (!copy)
        abort();
    scopes[count++] = {copy, deep, mayHoldRows, tries};
}

int WatchBurst::Find(const wchar_t* folder, int length) const {
    int low = 0, high = count;
    while (low < high) {
        int middle = (low + high) / 2;
        int order = ComparePath(scopes[middle].folder, -1, folder, length);
        if (!order)
            return middle;
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return -1;
}

bool WatchBurst::Covers(const wchar_t* folder) const {
    if (wholeTree)
        return true;
    int length = lstrlenW(folder);
    if (Find(folder, length) >= 0)
        return true;
    // Each folder above it, up to the drive.
    while (--length > 0) {
        if (folder[length] != L'\\')
            continue;
        int at = Find(folder, length);
        if (at >= 0 && scopes[at].deep)
            return true;
    }
    return false;
}

void WatchBurst::Tidy() {
    std::sort(scopes, scopes + count, [](const Scope& a, const Scope& b) {
        int order = ComparePath(a.folder, -1, b.folder, -1);
        return order ? order < 0 : a.deep > b.deep;
    });
    // Each folder once, with what all its notices said.
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (kept && !ComparePath(scopes[kept - 1].folder, -1, scopes[i].folder, -1)) {
            scopes[kept - 1].deep |= scopes[i].deep;
            scopes[kept - 1].mayHoldRows |= scopes[i].mayHoldRows;
            free(scopes[i].folder);
            continue;
        }
        scopes[kept++] = scopes[i];
    }
    count = kept;
    // None beneath a deep one: its read covers them.
    bool* covered = (bool*)calloc(count ? count : 1, sizeof(bool));
    if (!covered)
        abort();
    for (int i = 0; i < count; ++i) {
        const wchar_t* folder = scopes[i].folder;
        for (int length = lstrlenW(folder); --length > 0 && !covered[i];) {
            int at = folder[length] == L'\\' ? Find(folder, length) : -1;
            if (at >= 0 && scopes[at].deep) {
                covered[i] = true;
                scopes[at].mayHoldRows |= scopes[i].mayHoldRows;
            }
        }
    }
    kept = 0;
    for (int i = 0; i < count; ++i) {
        if (covered[i])
            free(scopes[i].folder);
        else
            scopes[kept++] = scopes[i];
    }
    count = kept;
    free(covered);
}

// One watch, held by the window and by its thread.
class COverviewWatch::Job final : public HeldByTwo {
  public:
    Job(HWND window, WPARAM number, const wchar_t* root, const SlotIcons& slots)
        : m_window(window), m_number(number), m_root(root), m_slots(slots),
          m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_io(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        InitializeCriticalSection(&m_lock);
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    static DWORD WINAPI Run(LPVOID self) {
        Job& job = *static_cast<Job*>(self);
        job.Watch();
        job.Release();
        return 0;
    }

    void Forget() {
        InterlockedExchangePointer(&m_window, nullptr);
        InterlockedExchange(&m_stop, 1);
        SetEvent(m_wake);
    }
    void AskRescan() {
        InterlockedExchange(&m_rescan, 1);
        SetEvent(m_wake);
    }
    WatchBurst* Take() {
        ScopedLock hold(m_lock);
        WatchBurst* first = m_waiting;
        m_waiting = nullptr;
        m_posted = false;
        return first;
    }

    volatile LONG watching = 1;

  private:
    ~Job() override {
        DeleteBursts(Take());
        DeleteCriticalSection(&m_lock);
    }

    void Watch();
    bool Issue();
    void Gather(DWORD bytes, WatchBurst& gathering);
    void Read(WatchBurst& gathering);
    bool ReadShallow(const WatchBurst::Scope& scope, WatchBurst& out, WatchBurst& again);
    void Hand(WatchBurst* burst);
    void Post() {
        HWND window = (HWND)InterlockedCompareExchangePointer(&m_window, nullptr, nullptr);
        if (window)
            PostMessageW(window, kChanged, m_number, 0);
    }
    bool Stopped() const { return m_stop != 0; }

    void* volatile m_window;
    const WPARAM m_number;
    const WideText m_root;
    const SlotIcons m_slots;
    volatile LONG m_stop = 0;
    volatile LONG m_rescan = 0;
    ScopedKernelHandle m_wake, m_io;
    ScopedFile m_dir;
    OVERLAPPED m_overlapped = {};
    DWORD m_buffer[kBufferBytes / sizeof(DWORD)]; // DWORD-aligned, as the call needs
    CRITICAL_SECTION m_lock;
    WatchBurst* m_waiting = nullptr; // under m_lock, oldest first
    bool m_posted = false;           // under m_lock
};

bool COverviewWatch::Job::Issue() {
    ResetEvent(m_io);
    m_overlapped = {};
    m_overlapped.hEvent = m_io;
    return ReadDirectoryChangesW(m_dir, m_buffer, kBufferBytes, TRUE, kChanges, nullptr,
                                 &m_overlapped, nullptr) != FALSE;
}

// Each notice names a file or folder below the root ("FILE_NOTIFY_INFORMATION
// structure"). A desktop.ini concerns its folder; any other name is a folder
// that came (read with all beneath it), went (its rows go), or changed its
// bits (read alone); a file's name costs one look at its attributes later.
void COverviewWatch::Job::Gather(DWORD bytes, WatchBurst& gathering) {
    const BYTE* at = (const BYTE*)m_buffer;
    for (;;) {
        const FILE_NOTIFY_INFORMATION& notice = *(const FILE_NOTIFY_INFORMATION*)at;
        const int length = (int)(notice.FileNameLength / sizeof(wchar_t));
        int nameStart = length;
        while (nameStart > 0 && notice.FileName[nameStart - 1] != L'\\')
            --nameStart;
        const wchar_t* name = notice.FileName + nameStart;
        const bool ini = IsName(name, length - nameStart, L"desktop.ini");
#ifdef VORELKIN_TEST_HOOKS
        if (IsName(notice.FileName, length, L"overflow.test")) // the test build's overflow
            gathering.wholeTree = true;
#endif
        // The folder concerned: the notice's name, or a desktop.ini's folder.
        int folderLength = ini ? (nameStart ? nameStart - 1 : 0) : length;
        WideText folder(m_root);
        if (folderLength) {
            wchar_t* relative = (wchar_t*)malloc(sizeof(wchar_t) * (folderLength + 2));
            if (!relative)
                abort();
            relative[0] = L'\\';
            memcpy(relative + 1, notice.FileName, sizeof(wchar_t) * folderLength);
            relative[folderLength + 1] = L'\0';
            const bool rootEnds = m_root[lstrlenW(m_root) - 1] == L'\\'; // a drive's root
            folder += rootEnds ? relative + 1 : relative;
            free(relative);
        }
        const DWORD action = notice.Action;
        const bool went = action == FILE_ACTION_REMOVED || action == FILE_ACTION_RENAMED_OLD_NAME;
        const bool came = action == FILE_ACTION_ADDED || action == FILE_ACTION_RENAMED_NEW_NAME;
        if (ini)
            gathering.Add(folder, false, true);
        else
            gathering.Add(folder, went || came, went);
        if (!notice.NextEntryOffset || (DWORD)(at - (const BYTE*)m_buffer) >= bytes)
            break;
        at += notice.NextEntryOffset;
    }
    if (gathering.count > kMostScopes)
        gathering.wholeTree = true;
}

// A folder read alone: false when a desktop.ini's folder is gone, a change
// that can't be placed (Wine names a folder by its old name after a rename).
bool COverviewWatch::Job::ReadShallow(const WatchBurst::Scope& scope, WatchBurst& out,
                                      WatchBurst& again) {
    WideText path = ExtendedFolderPathOf(scope.folder);
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // A file that changed and went; a desktop.ini's folder that went
        // without a notice of its own can't be placed.
        DWORD error = GetLastError();
        return !scope.mayHoldRows ||
               (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true; // a file's own change
    FolderMark* mark = new FolderMark;
    MarkRead read = attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)
                        ? ReadMarkAt(path, m_slots, *mark)
                        : MarkRead::None;
    if (read == MarkRead::Failed) { // held while written: its row stays until read
        delete mark;
        if (scope.tries < kMostTries)
            again.Add(scope.folder, false, true, scope.tries + 1);
        return true;
    }
    if (read == MarkRead::Marked)
        out.found.Push(mark);
    else
        delete mark;
    out.Add(scope.folder, false, true);
    return true;
}

void COverviewWatch::Job::Read(WatchBurst& gathering) {
    WatchBurst* out = new WatchBurst;
    WatchBurst again;
    gathering.Tidy();
    FoundInto sink(out->found);
    for (int i = 0; i < gathering.count && !gathering.wholeTree && !Stopped(); ++i) {
        const WatchBurst::Scope& scope = gathering.scopes[i];
        if (!scope.deep) {
            gathering.wholeTree = !ReadShallow(scope, *out, again);
            continue;
        }
        const int before = out->found.Count();
        ScanFolderMarks(scope.folder, m_slots, sink, &m_stop);
        // A name that came and holds no mark changes no row.
        if (out->found.Count() > before || scope.mayHoldRows)
            out->Add(scope.folder, true, scope.mayHoldRows);
    }
    if (gathering.wholeTree) {
        out->Clear();
        again.Clear();
        out->wholeTree = true;
        ScanFolderMarks(m_root, m_slots, sink, &m_stop);
    }
    gathering.Clear();
    gathering.wholeTree = false;
    for (int i = 0; i < again.count; ++i)
        gathering.Add(again.scopes[i].folder, false, true, again.scopes[i].tries);
    if (Stopped() || (!out->wholeTree && !out->count)) {
        delete out;
        return;
    }
    out->Tidy();
    Hand(out);
}

void COverviewWatch::Job::Hand(WatchBurst* burst) {
    bool post = false;
    {
        ScopedLock hold(m_lock);
        WatchBurst** last = &m_waiting;
        while (*last)
            last = &(*last)->next;
        *last = burst;
        post = !m_posted;
        m_posted = true;
    }
    if (post) // outside the lock, as the scan posts
        Post();
}

void COverviewWatch::Job::Watch() {
    m_dir.Reset(CreateFileW(ExtendedFolderPathOf(m_root), FILE_LIST_DIRECTORY,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                            nullptr));
    bool watched = m_dir.IsValid(), reading = false;
    WatchBurst gathering;
    DWORD began = 0, last = 0, issueAt = GetTickCount();
    for (;;) {
        // Changes made between two calls wait in the handle's buffer and come
        // with the next ("ReadDirectoryChangesW function"): a call made a
        // moment after the last one ended takes a whole batch at once.
        const DWORD now = GetTickCount();
        if (watched && !reading && (int)(issueAt - now) <= 0)
            watched = reading = Issue();
        if (!watched && watching) { // a share or file system that reports nothing
            InterlockedExchange(&watching, 0);
            Post();
        }
        DWORD timeout = INFINITE;
        const bool gathered = gathering.count || gathering.wholeTree;
        if (gathered) {
            const DWORD quietEnd = last + kQuietMs, capEnd = began + kBurstMs;
            const DWORD end = (int)(quietEnd - capEnd) < 0 ? quietEnd : capEnd;
            timeout = (int)(end - now) > 0 ? end - now : 0;
        }
        if (watched && !reading)
            timeout = (int)(issueAt - now) > 0 && issueAt - now < timeout ? issueAt - now : timeout;
        HANDLE events[2] = {m_wake, m_io};
        const DWORD woke = WaitForMultipleObjects(reading ? 2 : 1, events, FALSE, timeout);
        if (Stopped())
            break;
        if (woke == WAIT_OBJECT_0 + 1) {
            DWORD bytes = 0;
            const BOOL done = GetOverlappedResult(m_dir, &m_overlapped, &bytes, FALSE);
            // Zero bytes or ERROR_NOTIFY_ENUM_DIR: more changed than the buffer
            // held, and which is lost.
            const bool overflow = done ? !bytes : GetLastError() == ERROR_NOTIFY_ENUM_DIR;
            if (done && bytes)
                Gather(bytes, gathering);
            gathering.wholeTree |= overflow;
            reading = false;
            watched = done || overflow;
            last = GetTickCount();
            issueAt = last + kBatchMs;
            if (!gathered)
                began = last;
            continue;
        }
        if (woke == WAIT_OBJECT_0 && InterlockedExchange(&m_rescan, 0))
            gathering.wholeTree = true;
        else if (!gathered || ((int)(GetTickCount() - last) < (int)kQuietMs &&
                               (int)(GetTickCount() - began) < (int)kBurstMs))
            continue;
        Read(gathering);
        last = began = GetTickCount(); // reads refused wait a quiet time
    }
    // The buffer must outlive the read: cancel it and wait for its end
    // ("CancelIoEx function").
    if (reading && CancelIoEx(m_dir, &m_overlapped)) {
        DWORD bytes = 0;
        GetOverlappedResult(m_dir, &m_overlapped, &bytes, TRUE);
    }
}

bool COverviewWatch::Start(HWND window, const wchar_t* root, const SlotIcons& slots) {
    LetGo();
    m_job = new Job(window, ++m_number, root, slots);
    ScopedKernelHandle thread(CreateThread(nullptr, 0, Job::Run, m_job, 0, nullptr));
    if (!thread.IsValid()) {
        m_job->Release(); // the thread's hold
        m_job->Release();
        m_job = nullptr;
        return false;
    }
    return true;
}

void COverviewWatch::LetGo() {
    if (!m_job)
        return;
    m_job->Forget();
    m_job->Release();
    m_job = nullptr;
}

void COverviewWatch::Rescan() {
    if (m_job)
        m_job->AskRescan();
}

bool COverviewWatch::Watching() const {
    return m_job && m_job->watching;
}

WatchBurst* COverviewWatch::TakeBursts() {
    return m_job ? m_job->Take() : nullptr;
}

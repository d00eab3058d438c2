#include "OverviewScan.h"

#include "../overview/MarkPaths.h"

namespace {
#ifdef VORELKIN_STUCK_SCAN
// The test build's stand-in for a share that stopped answering (Wine cannot
// make a listing block): a read that a cancel ends; in the first scan one
// that nothing ends, as where the driver ignores the cancel.
void WaitAsOnADeadShare() {
    static volatile LONG scans = 0;
    const bool forever = InterlockedIncrement(&scans) == 1;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0))
        return;
    ScopedKernelHandle reader(readEnd), writer(writeEnd);
    char byte = 0;
    DWORD read = 0;
    do
        ReadFile(reader, &byte, 1, &read, nullptr);
    while (forever);
}
#endif
} // namespace

// One scan, held by the window and by its thread.
class COverviewScan::Job final : public HeldByTwo, private MarkScanSink {
  public:
    Job(HWND window, WPARAM number, const wchar_t* root, const SlotIcons& slots)
        : m_window(window), m_number(number), m_root(root), m_slots(slots) {
        InitializeCriticalSection(&m_lock);
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    static DWORD WINAPI Run(LPVOID self) {
        Job& job = *static_cast<Job*>(self);
#ifdef VORELKIN_STUCK_SCAN
        WaitAsOnADeadShare();
#endif
#ifdef VORELKIN_TEST_HOOKS // the test build's slow tree: "slow.test" in the folder
        if (GetFileAttributesW(JoinPath(ExtendedFolderPathOf(job.m_root), L"slow.test")) !=
            INVALID_FILE_ATTRIBUTES)
            Sleep(3000);
#endif
        job.totals = ScanFolderMarks(job.m_root, job.m_slots, job, &job.stop);
        InterlockedExchange(&job.scanned, (LONG)job.totals.scanned);
        InterlockedExchange(&job.ended, 1);
        job.Post(kScanEnded);
        job.Release();
        return 0;
    }

    // From now on nothing goes to the window: it may be gone, and its
    // handle another window's.
    void Forget() {
        InterlockedExchangePointer(&m_window, nullptr);
        ScopedLock hold(m_lock);
        m_found.DeleteAll();
    }
    void TakeFound(MarkList& into) {
        ScopedLock hold(m_lock);
        into.TakeAll(m_found);
        m_posted = false;
    }

    volatile LONG stop = 0;
    volatile LONG scanned = 0;
    volatile LONG ended = 0;
    ScanTotals totals; // written by the thread before ended

  private:
    ~Job() override {
        {
            ScopedLock hold(m_lock);
            m_found.DeleteAll();
        }
        DeleteCriticalSection(&m_lock);
    }

    bool Post(UINT message) {
        HWND window = (HWND)InterlockedCompareExchangePointer(&m_window, nullptr, nullptr);
        return window && PostMessageW(window, message, m_number, 0);
    }

    void Found(const FolderMark& mark) override {
        FolderMark* copy = new FolderMark(mark);
        bool post = false;
        {
            ScopedLock hold(m_lock);
            m_found.Push(copy);
            // One message for a whole batch: the window takes everything waiting.
            post = !m_posted;
            m_posted = true;
        }
        // Posted outside the lock: a post can wait on the system (Wine's
        // server), and the window's thread must not wait with it.
        if (post && !Post(kMarksWaiting)) {
            ScopedLock hold(m_lock);
            m_posted = false;
        }
    }
    void Progress(unsigned count) override {
        InterlockedExchange(&scanned, (LONG)count);
    }

    void* volatile m_window; // the HWND, or null once forgotten
    const WPARAM m_number;
    const WideText m_root;
    const SlotIcons m_slots;
    CRITICAL_SECTION m_lock;
    MarkList m_found;      // under m_lock
    bool m_posted = false; // under m_lock: a kMarksWaiting not yet taken
};

bool COverviewScan::Start(HWND window, const wchar_t* root, const SlotIcons& slots) {
    LetGo();
    m_job = new Job(window, ++m_number, root, slots);
    m_thread.Reset(CreateThread(nullptr, 0, Job::Run, m_job, CREATE_SUSPENDED, nullptr));
    if (!m_thread.IsValid()) {
        m_job->Release(); // the thread's hold
        m_job->Release();
        m_job = nullptr;
        return false;
    }
    // The window's thread comes first: the scan waits on the disk anyway.
    SetThreadPriority(m_thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(m_thread);
    return true;
}

// A FindNextFileW or CreateFileW on a share that stopped answering waits in
// the redirector until it times out. CancelSynchronousIo ends such a call
// with ERROR_OPERATION_ABORTED where the driver allows; it does not wait for
// it ("CancelSynchronousIo function", "Canceling Pending I/O Operations").
// A call it misses ends in its own time, and the stop flag ends the walk.
void COverviewScan::Stop() {
    if (!m_job)
        return;
    InterlockedExchange(&m_job->stop, 1);
    CancelSynchronousIo(m_thread);
}

void COverviewScan::LetGo() {
    if (!m_job)
        return;
    Stop();
    m_job->Forget();
    m_job->Release();
    m_job = nullptr;
    m_thread.Reset();
}

bool COverviewScan::IsRunning() const {
    return m_job && !m_job->ended;
}

bool COverviewScan::IsStopping() const {
    return IsRunning() && m_job->stop;
}

void COverviewScan::TakeFound(MarkList& into) {
    if (m_job)
        m_job->TakeFound(into);
}

unsigned COverviewScan::Scanned() const {
    return m_job ? (unsigned)m_job->scanned : 0;
}

const ScanTotals& COverviewScan::Totals() const {
    static const ScanTotals none;
    return m_job ? m_job->totals : none;
}

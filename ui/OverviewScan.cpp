#include "OverviewScan.h"

namespace {
class ScopedLock {
  public:
    explicit ScopedLock(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
    ~ScopedLock() { LeaveCriticalSection(&m_lock); }

  private:
    CRITICAL_SECTION& m_lock;
};
} // namespace

COverviewScan::COverviewScan() {
    InitializeCriticalSection(&m_lock);
}

COverviewScan::~COverviewScan() {
    Finish();
    DeleteCriticalSection(&m_lock);
}

bool COverviewScan::Start(HWND window, const wchar_t* root, const SlotIcons& slots) {
    Finish();
    m_window = window;
    m_root = WideText(root);
    m_slots = slots;
    m_stop = 0;
    m_scanned = 0;
    m_ended = 0;
    m_totals = ScanTotals();
    ++m_number;
    m_thread.Reset(CreateThread(nullptr, 0, Run, this, CREATE_SUSPENDED, nullptr));
    if (!m_thread.IsValid())
        return false;
    // The window's thread comes first: the scan waits on the disk anyway.
    SetThreadPriority(m_thread, THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(m_thread);
    return true;
}

void COverviewScan::Finish() {
    if (!m_thread.IsValid())
        return;
    Stop();
    WaitForSingleObject(m_thread, INFINITE);
    m_thread.Reset();
    ScopedLock hold(m_lock);
    m_found.DeleteAll(); // nobody takes them any more
    m_posted = false;
}

DWORD WINAPI COverviewScan::Run(LPVOID self) {
    COverviewScan& scan = *static_cast<COverviewScan*>(self);
    scan.m_totals = ScanFolderMarks(scan.m_root, scan.m_slots, scan, &scan.m_stop);
    InterlockedExchange(&scan.m_scanned, (LONG)scan.m_totals.scanned);
    InterlockedExchange(&scan.m_ended, 1);
    PostMessageW(scan.m_window, kScanEnded, scan.m_number, 0);
    return 0;
}

void COverviewScan::Found(const FolderMark& mark) {
    FolderMark* copy = new FolderMark(mark);
    bool post = false;
    {
        ScopedLock hold(m_lock);
        m_found.Push(copy);
        // One message for a whole batch: the window takes everything waiting.
        post = !m_posted;
        m_posted = true;
    }
    // Posted outside the lock: a post can wait on the system (Wine's server),
    // and the window's thread must not wait with it.
    if (post && !PostMessageW(m_window, kMarksWaiting, m_number, 0)) {
        ScopedLock hold(m_lock);
        m_posted = false;
    }
}

void COverviewScan::TakeFound(MarkList& into) {
    ScopedLock hold(m_lock);
    into.TakeAll(m_found);
    m_posted = false;
}

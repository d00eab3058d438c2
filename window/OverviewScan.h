// The overview's scan on a thread of its own, so the window keeps answering:
// the marks it finds wait here until the window takes them in batches.
#pragma once

#include "OverviewRows.h"

#include "../framework/Scoped.h"

// An object held by a window and by the thread working for it: the last to
// let go deletes it, so neither waits for the other.
class HeldByTwo {
  public:
    HeldByTwo(const HeldByTwo&) = delete;
    HeldByTwo& operator=(const HeldByTwo&) = delete;
    void Release() {
        if (InterlockedDecrement(&m_holders) == 0)
            delete this;
    }

  protected:
    HeldByTwo() = default;
    virtual ~HeldByTwo() = default;

  private:
    volatile LONG m_holders = 2;
};

class COverviewScan {
  public:
    // Posted to the window with the scan's number: marks wait (the first
    // since the last take), and the scan has ended (the totals are ready).
    // A message of an earlier scan can still come after F5 has started the
    // next; its number tells it apart.
    static const UINT kMarksWaiting = WM_APP + 1;
    static const UINT kScanEnded = WM_APP + 2;

    COverviewScan() = default;
    COverviewScan(const COverviewScan&) = delete;
    COverviewScan& operator=(const COverviewScan&) = delete;
    ~COverviewScan() { LetGo(); }

    // Starts on the folder and everything beneath it, letting go of the
    // scan before; false when no thread could be started.
    bool Start(HWND window, const wchar_t* root, const SlotIcons& slots);
    // Asks a running scan to end soon and cancels the call it waits in;
    // what it found stays.
    void Stop();
    // Stops the scan and forgets it, without waiting: a listing on a share
    // that stopped answering can hold its thread for a minute. The thread
    // ends on its own and nothing it still finds reaches the window.
    void LetGo();
    bool IsRunning() const;
    bool IsStopping() const;
    WPARAM Number() const { return m_number; }

    // The marks found since the last call, appended to the list.
    void TakeFound(MarkList& into);
    unsigned Scanned() const;
    // Valid once kScanEnded has come.
    const ScanTotals& Totals() const;

  private:
    class Job;

    Job* m_job = nullptr; // shared with its thread
    ScopedKernelHandle m_thread;
    WPARAM m_number = 0;
};

// The overview's scan on a thread of its own, so the window keeps answering:
// the marks it finds wait here until the window takes them in batches.
#pragma once

#include "OverviewRows.h"

#include "../framework/Scoped.h"

class COverviewScan : private MarkScanSink {
  public:
    // Posted to the window with the scan's number: marks wait (the first
    // since the last take), and the scan has ended (the totals are ready).
    // A message of an earlier scan can still come after F5 has started the
    // next; its number tells it apart.
    static const UINT kMarksWaiting = WM_APP + 1;
    static const UINT kScanEnded = WM_APP + 2;

    COverviewScan();
    COverviewScan(const COverviewScan&) = delete;
    COverviewScan& operator=(const COverviewScan&) = delete;
    ~COverviewScan();

    // Starts on the folder and everything beneath it; false when no thread
    // could be started.
    bool Start(HWND window, const wchar_t* root, const SlotIcons& slots);
    // Asks a running scan to end soon; what it found stays.
    void Stop() { InterlockedExchange(&m_stop, 1); }
    // Stops the scan and waits for its thread.
    void Finish();
    bool IsRunning() const { return m_thread.IsValid() && !m_ended; }
    WPARAM Number() const { return m_number; }

    // The marks found since the last call, appended to the list.
    void TakeFound(MarkList& into);
    unsigned Scanned() const { return (unsigned)m_scanned; }
    // Valid once kScanEnded has come.
    const ScanTotals& Totals() const { return m_totals; }

  private:
    static DWORD WINAPI Run(LPVOID self);
    void Found(const FolderMark& mark) override;
    void Progress(unsigned scanned) override { InterlockedExchange(&m_scanned, (LONG)scanned); }

    HWND m_window = nullptr;
    WideText m_root;
    SlotIcons m_slots;
    ScopedKernelHandle m_thread;
    WPARAM m_number = 0;
    volatile LONG m_stop = 0;
    volatile LONG m_scanned = 0;
    volatile LONG m_ended = 0;
    ScanTotals m_totals;

    CRITICAL_SECTION m_lock;
    MarkList m_found;      // under m_lock
    bool m_posted = false; // under m_lock: a kMarksWaiting not yet taken
};

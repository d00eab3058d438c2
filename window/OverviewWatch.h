// The overview's watch on its folder's whole tree, on a thread of its own:
// the changes of a burst are gathered, the folders they concern read once,
// and the result handed to the window.
#pragma once

#include "OverviewRows.h"

#include "../framework/Scoped.h"

// The folders one burst read again, and the marks found there: the rows of
// those folders are replaced by these marks.
class WatchBurst {
  public:
    WatchBurst() = default;
    WatchBurst(const WatchBurst&) = delete;
    WatchBurst& operator=(const WatchBurst&) = delete;
    ~WatchBurst();

    // A folder read again; a deep one with every folder beneath it.
    struct Scope {
        wchar_t* folder; // full path, as the rows give it
        bool deep;
        bool mayHoldRows; // a row may stand there, even where nothing was found
        int tries;        // reads refused so far (a desktop.ini being written)
    };

    // Whether the row's folder is a scope, or beneath a deep one.
    bool Covers(const wchar_t* folder) const;
    void Add(const wchar_t* folder, bool deep, bool mayHoldRows, int tries = 0);
    // Sorted, each folder once, none beneath a deep one.
    void Tidy();
    void Clear();

    bool wholeTree = false; // the whole tree was read again
    Scope* scopes = nullptr;
    int count = 0;
    MarkList found;
    WatchBurst* next = nullptr;

  private:
    int Find(const wchar_t* folder, int length) const;
    int m_capacity = 0;
};

// Deletes the burst and every one after it.
void DeleteBursts(WatchBurst* first);

class COverviewWatch {
  public:
    // Posted with the watch's number when a burst waits, or the watch failed.
    static const UINT kChanged = WM_APP + 3;

    COverviewWatch() = default;
    COverviewWatch(const COverviewWatch&) = delete;
    COverviewWatch& operator=(const COverviewWatch&) = delete;
    ~COverviewWatch() { LetGo(); }

    // Watches the folder (as the rows give it) and everything beneath it,
    // letting go of the watch before; false when no thread could start.
    bool Start(HWND window, const wchar_t* root, const SlotIcons& slots);
    // Ends the watch without waiting for its thread.
    void LetGo();
    // The whole tree read again on the watch's thread, quietly: it comes
    // as a burst, and works where the tree cannot be watched too.
    void Rescan();
    // False once the system refused to report the tree's changes.
    bool Watching() const;
    WPARAM Number() const { return m_number; }
    // The bursts waiting, oldest first; the caller deletes them.
    WatchBurst* TakeBursts();

  private:
    class Job;

    Job* m_job = nullptr; // shared with its thread
    WPARAM m_number = 0;
};

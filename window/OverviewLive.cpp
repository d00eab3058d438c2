// The overview kept true while it is open: the watch's bursts replace the
// rows of the folders they read, keeping the selection, the focus and the
// scroll; a tree that can't be watched is read again on activation.
#include "OverviewDlg.h"

#include <algorithm>
#include <stdlib.h>

namespace {
// Unwatched, the list is read again on activation once it is this old.
const DWORD kStaleMs = 60 * 1000;

bool FolderBefore(const FolderMark* a, const FolderMark* b) {
    return CompareStringOrdinal(a->folder, -1, b->folder, -1, TRUE) == CSTR_LESS_THAN;
}
} // namespace

void COverviewDlg::StartWatch() {
    // The root as the scan names its folders, so rows and notices meet.
    m_watch.Start(m_hWnd, m_root, m_slots);
}

void COverviewDlg::OnWatchChanged(WPARAM number) {
    if (number != m_watch.Number())
        return;
    if (!m_scan.IsRunning())
        TakeBursts();
    if (m_lineShowsTotals) // the time, or that changes are not followed
        ShowTotals();
}

void COverviewDlg::TakeBursts() {
    WatchBurst* bursts = m_watch.TakeBursts();
    if (!bursts)
        return;
    for (WatchBurst* burst = bursts; burst; burst = burst->next)
        ApplyBurst(*burst);
    DeleteBursts(bursts);
    FillStatusFilter();
    UpToDate();
}

void COverviewDlg::ApplyBurst(WatchBurst& burst) {
    MarkList old, found;
    for (int i = 0; i < m_rows.Count(); ++i) {
        if (burst.Covers(m_rows.Mark(i)->folder))
            old.Push(m_rows.Mark(i));
    }
    found.TakeAll(burst.found);
    ReplaceRows(old, found);
}

void COverviewDlg::ReplaceRows(MarkList& old, MarkList& found) {
    MarkList now, added;
    if (!old.Count() && !found.Count())
        return;
    // Each row read again becomes the mark found at its folder, or goes.
    FolderMark** byFolder = const_cast<FolderMark**>(found.Items());
    std::sort(byFolder, byFolder + found.Count(), FolderBefore);
    bool* taken = (bool*)calloc(found.Count() ? found.Count() : 1, sizeof(bool));
    if (!taken)
        abort();
    for (int i = 0; i < old.Count(); ++i) {
        FolderMark** at =
            std::lower_bound(byFolder, byFolder + found.Count(), old[i], FolderBefore);
        const int index = (int)(at - byFolder);
        const bool same = index < found.Count() && !taken[index] && !FolderBefore(old[i], *at);
        if (same)
            taken[index] = true;
        now.Push(same ? *at : nullptr);
    }
    for (int i = 0; i < found.Count(); ++i) {
        if (!taken[i])
            added.Push(found[i]);
    }
    free(taken);

    // The selection and the focus follow their folders to the new marks.
    MarkList selected, reselect;
    SelectedMarks(selected);
    const int focusedRow = (int)SendMessageW(m_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    FolderMark* focused = focusedRow >= 0 && focusedRow < m_rows.VisibleCount()
                              ? m_rows.Visible(focusedRow)
                              : nullptr;
    int* order = (int*)malloc(sizeof(int) * (old.Count() ? old.Count() : 1));
    if (!order)
        abort();
    for (int i = 0; i < old.Count(); ++i)
        order[i] = i;
    std::sort(order, order + old.Count(), [&](int a, int b) { return old[a] < old[b]; });
    auto follow = [&](FolderMark* mark) -> FolderMark* {
        int* at = std::lower_bound(order, order + old.Count(), mark,
                                   [&](int index, const FolderMark* m) { return old[index] < m; });
        return at != order + old.Count() && old[*at] == mark ? now[*at] : mark;
    };
    for (int i = 0; i < selected.Count(); ++i) {
        if (FolderMark* mark = follow(selected[i]))
            reselect.Push(mark);
    }
    focused = focused ? follow(focused) : nullptr;
    free(order);
    {
        Selection none(*this, false);
        m_rows.Replace(old, now);
        m_rows.Add(added);
    }
    Select(reselect);
    const int row = focused ? m_rows.RowOf(focused) : -1;
    if (row >= 0) {
        LVITEMW state = {};
        state.state = state.stateMask = LVIS_FOCUSED;
        SendMessageW(m_list, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
}

void COverviewDlg::UpToDate() {
    GetLocalTime(&m_upToDate);
    GetSystemTimeAsFileTime(&m_upToDateFile);
    m_upToDateTick = GetTickCount();
}

void COverviewDlg::OnActivate(WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE || m_watch.Watching() || m_scan.IsRunning() ||
        GetTickCount() - m_upToDateTick < kStaleMs)
        return;
    m_upToDateTick = GetTickCount(); // once per minute at most
    m_watch.Rescan();
}

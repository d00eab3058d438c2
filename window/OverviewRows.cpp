#include "OverviewRows.h"

#include <algorithm>
#include <shlwapi.h>
#include <stdlib.h>
#include <string.h>

void MarkList::TakeAll(MarkList& other) {
    for (FolderMark* mark : other.m_marks)
        m_marks.Add(mark);
    other.Empty();
}

void MarkList::DeleteAll() {
    for (FolderMark* mark : m_marks)
        delete mark;
    Empty();
}

void COverviewRows::Clear() {
    m_visible.Empty();
    m_all.DeleteAll();
}

void COverviewRows::Add(MarkList& found) {
    for (int i = 0; i < found.Count(); ++i) {
        if (Passes(*found[i]))
            m_visible.Push(found[i]);
    }
    m_all.TakeAll(found);
    Sort();
}

void COverviewRows::Replace(const MarkList& old, const MarkList& now) {
    // The old marks' indexes in pointer order, looked up once per mark held.
    int* order = (int*)malloc(sizeof(int) * (size_t)(old.Count() ? old.Count() : 1));
    if (!order)
        abort();
    for (int i = 0; i < old.Count(); ++i)
        order[i] = i;
    auto before = [&](int index, const FolderMark* mark) { return old[index] < mark; };
    std::sort(order, order + old.Count(), [&](int a, int b) { return old[a] < old[b]; });
    MarkList kept;
    for (int i = 0; i < m_all.Count(); ++i) {
        FolderMark* mark = m_all[i];
        int* at = std::lower_bound(order, order + old.Count(), mark, before);
        if (at != order + old.Count() && old[*at] == mark) {
            delete mark;
            mark = now[*at];
        }
        if (mark)
            kept.Push(mark);
    }
    free(order);
    m_all.Empty();
    m_all.TakeAll(kept);
    Refilter();
}

void COverviewRows::SetFilter(int status, const wchar_t* text) {
    m_status = status;
    m_text = WideText(text);
    Refilter();
}

void COverviewRows::SortBy(int column) {
    m_descending = column == m_sortColumn && !m_descending;
    m_sortColumn = column;
    Sort();
}

int COverviewRows::CountOf(int status) const {
    int count = 0;
    for (int i = 0; i < m_all.Count(); ++i)
        count += m_all[i]->status == status;
    return count;
}

int COverviewRows::RowOf(const FolderMark* mark) const {
    for (int row = 0; row < m_visible.Count(); ++row) {
        if (m_visible[row] == mark)
            return row;
    }
    return -1;
}

bool COverviewRows::Passes(const FolderMark& mark) const {
    if (m_status != kAllStatuses && mark.status != m_status)
        return false;
    const wchar_t* text = m_text;
    return !*text || StrStrIW(mark.folder, text) || StrStrIW(mark.description, text);
}

void COverviewRows::Refilter() {
    m_visible.Empty();
    for (int i = 0; i < m_all.Count(); ++i) {
        if (Passes(*m_all[i]))
            m_visible.Push(m_all[i]);
    }
    Sort();
}

namespace {
// Paths as the export orders them: ordinal, case-insensitive.
int ComparePaths(const FolderMark& a, const FolderMark& b) {
    return CompareStringOrdinal(a.folder, -1, b.folder, -1, TRUE) - CSTR_EQUAL;
}

int CompareBy(int column, const FolderMark& a, const FolderMark& b) {
    switch (column) {
    case COverviewRows::kColumnStatus:
        return a.status - b.status;
    case COverviewRows::kColumnDescription:
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.description, -1,
                              b.description, -1) -
               CSTR_EQUAL;
    case COverviewRows::kColumnWritten:
        return CompareFileTime(&a.written, &b.written);
    default:
        return ComparePaths(a, b);
    }
}
} // namespace

void COverviewRows::Sort() {
    const int column = m_sortColumn;
    const bool descending = m_descending;
    FolderMark** rows = const_cast<FolderMark**>(m_visible.Items());
    std::sort(rows, rows + m_visible.Count(), [=](const FolderMark* a, const FolderMark* b) {
        int order = CompareBy(column, *a, *b);
        if (!order) // equal keys stand in path order, whichever way the column goes
            return ComparePaths(*a, *b) < 0;
        return descending ? order > 0 : order < 0;
    });
}

void FormatWritten(const FILETIME& written, wchar_t (&text)[20]) {
    // The zone read once: asking for it on every row of every repaint costs
    // a trip to the system each time (Wine's server), which a busy scan slows.
    static TIME_ZONE_INFORMATION zone;
    static bool zoneRead = false;
    if (!zoneRead) {
        zoneRead = true;
        GetTimeZoneInformation(&zone);
    }
    SYSTEMTIME utc = {}, local = {};
    // The zone's rule for that date, as the export and Explorer show it.
    if (!FileTimeToSystemTime(&written, &utc) ||
        !SystemTimeToTzSpecificLocalTime(&zone, &utc, &local)) {
        text[0] = L'\0';
        return;
    }
    wsprintfW(text, L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
              local.wHour, local.wMinute, local.wSecond);
}

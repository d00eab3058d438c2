#include "OverviewPlacement.h"

#include "../base/IniFile.h"
#include "../base/Settings.h"

#include "OverviewDlg.h"

#include <stdlib.h>

namespace {
const char kSection[] = "Overview";
// Column widths are kept as at 100%, so they fit a monitor of another scale.
const int kKeptDpi = USER_DEFAULT_SCREEN_DPI;

// Exactly count integers within [low, high], separated by commas.
bool ReadNumbers(const char* key, int* numbers, int count, int low, int high) {
    CString text;
    if (!GetStringINI(g_strIniPath, kSection, key, text))
        return false;
    const char* at = text;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        long number = strtol(at, &end, 10);
        if (end == at || number < low || number > high || *end != (i + 1 < count ? ',' : '\0'))
            return false;
        numbers[i] = (int)number;
        at = end + 1;
    }
    return true;
}

void WriteNumbers(const char* key, const int* numbers, int count) {
    CString text;
    for (int i = 0; i < count; ++i) {
        if (i)
            text += ",";
        text += CString::FromInt(numbers[i]);
    }
    SetStringINI(g_strIniPath, kSection, key, text);
}

// The placement's rectangle is in workspace coordinates: the primary
// monitor's work area begins at 0,0 ("WINDOWPLACEMENT structure").
POINT WorkspaceOrigin() {
    MONITORINFO primary = {};
    primary.cbSize = sizeof(primary);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    return {primary.rcWork.left - primary.rcMonitor.left,
            primary.rcWork.top - primary.rcMonitor.top};
}

// Onto the nearest monitor's work area when no monitor shows it now.
void KeepOnAMonitor(RECT& rect) {
    const POINT origin = WorkspaceOrigin();
    RECT screen = rect;
    OffsetRect(&screen, origin.x, origin.y);
    HMONITOR monitor = MonitorFromRect(&screen, MONITOR_DEFAULTTONULL);
    if (monitor)
        return;
    MONITORINFO nearest = {};
    nearest.cbSize = sizeof(nearest);
    GetMonitorInfoW(MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST), &nearest);
    const RECT& work = nearest.rcWork;
    const LONG width = screen.right - screen.left, height = screen.bottom - screen.top;
    SetRect(&rect, work.left, work.top, work.left + width, work.top + height);
    IntersectRect(&rect, &rect, &work);
    OffsetRect(&rect, -origin.x, -origin.y);
}
} // namespace

OverviewLayout ReadOverviewLayout() {
    OverviewLayout layout;
    int place[5] = {};
    const int kFar = 100000;
    if (ReadNumbers("Placement", place, 5, -kFar, kFar) && place[2] > place[0] &&
        place[3] > place[1]) {
        layout.hasPlacement = true;
        SetRect(&layout.placement.rcNormalPosition, place[0], place[1], place[2], place[3]);
        KeepOnAMonitor(layout.placement.rcNormalPosition);
        layout.placement.showCmd = place[4] ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    }
    int order[COverviewRows::kColumns] = {};
    if (ReadNumbers("Columns", layout.widths, COverviewRows::kColumns, 0, kFar) &&
        ReadNumbers("ColumnOrder", order, COverviewRows::kColumns, 0,
                    COverviewRows::kColumns - 1)) {
        int seen = 0; // each column once
        for (int column : order)
            seen |= 1 << column;
        layout.hasColumns = seen == (1 << COverviewRows::kColumns) - 1;
        for (int i = 0; i < COverviewRows::kColumns; ++i)
            layout.order[i] = order[i];
    }
    int sort[2] = {};
    if (ReadNumbers("Sort", sort, 2, 0, COverviewRows::kColumns - 1) && sort[1] <= 1) {
        layout.sortColumn = sort[0];
        layout.descending = sort[1] == 1;
    }
    ReadNumbers("Filter", &layout.status, 1, COverviewRows::kAllStatuses, kStatusCount - 1);
    return layout;
}

void WriteOverviewLayout(const OverviewLayout& layout) {
    if (!g_bSettingsWritable || g_strIniPath.IsEmpty())
        return;
    IniFileSession session(g_strIniPath); // one read and one write, under the lock
    const RECT& rect = layout.placement.rcNormalPosition;
    const int place[5] = {rect.left, rect.top, rect.right, rect.bottom,
                          layout.placement.showCmd == SW_SHOWMAXIMIZED};
    WriteNumbers("Placement", place, 5);
    WriteNumbers("Columns", layout.widths, COverviewRows::kColumns);
    WriteNumbers("ColumnOrder", layout.order, COverviewRows::kColumns);
    const int sort[2] = {layout.sortColumn, layout.descending};
    WriteNumbers("Sort", sort, 2);
    WriteNumbers("Filter", &layout.status, 1);
}

void COverviewDlg::RestoreLayout() {
    const OverviewLayout layout = ReadOverviewLayout();
    if (layout.hasColumns) {
        for (int column = 0; column < COverviewRows::kColumns; ++column)
            SendMessageW(m_list, LVM_SETCOLUMNWIDTH, column,
                         MulDiv(layout.widths[column], (int)m_dpi, kKeptDpi));
        SendMessageW(m_list, LVM_SETCOLUMNORDERARRAY, COverviewRows::kColumns,
                     (LPARAM)layout.order);
    }
    m_rows.SetSort(layout.sortColumn, layout.descending);
    m_rows.SetFilter(layout.status, L"");
    ShowSortArrow();
    if (layout.hasPlacement)
        m_placement = layout.placement;
}

void COverviewDlg::KeepLayout() {
    OverviewLayout layout;
    if (!GetWindowPlacement(m_hWnd, &layout.placement))
        return;
    for (int column = 0; column < COverviewRows::kColumns; ++column)
        layout.widths[column] =
            MulDiv((int)SendMessageW(m_list, LVM_GETCOLUMNWIDTH, column, 0), kKeptDpi, (int)m_dpi);
    SendMessageW(m_list, LVM_GETCOLUMNORDERARRAY, COverviewRows::kColumns, (LPARAM)layout.order);
    layout.sortColumn = m_rows.SortColumn();
    layout.descending = m_rows.SortDescending();
    layout.status = m_rows.FilterStatus();
    WriteOverviewLayout(layout);
}

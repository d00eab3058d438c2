// The overview's rows as the list shows them: their texts, the filters, and
// the selection kept while rows come, go and move.
#include "OverviewDlg.h"

#include "../res/resource.h"

#include <algorithm>
#include <stdlib.h>
#include <string.h>

void COverviewDlg::GetDisplayText(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.iItem < 0 || item.iItem >= m_rows.VisibleCount())
        return;
    const FolderMark& mark = *m_rows.Visible(item.iItem);
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == COverviewRows::kColumnStatus)
        item.iImage = m_statusImage[mark.status];
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    wchar_t written[20];
    const wchar_t* text = L"";
    switch (item.iSubItem) {
    case COverviewRows::kColumnStatus:
        text = m_statusNames[mark.status];
        break;
    case COverviewRows::kColumnFolder:
        text = mark.folder;
        break;
    case COverviewRows::kColumnDescription:
        text = mark.description;
        break;
    case COverviewRows::kColumnWritten:
        FormatWritten(mark.written, written);
        text = written;
        break;
    }
    lstrcpynW(item.pszText, text, item.cchTextMax);
}

void COverviewDlg::FillStatusFilter() {
    int counts[kStatusCount] = {};
    for (int i = 0; i < m_rows.Count(); ++i)
        ++counts[m_rows.Mark(i)->status];
    HWND combo = Item(IDC_OV_STATUS);
    // Refilled under an open list, it would close in the user's hand.
    m_filterStale = SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    if (m_filterStale)
        return;
    int chosen = m_rows.FilterStatus(); // before the first filling: as last left
    int selected = (int)SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected >= 0)
        chosen = (int)SendMessageW(combo, CB_GETITEMDATA, selected, 0);
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    wchar_t text[64];
    wsprintfW(text, L"すべて (%d)", m_rows.Count());
    int item = (int)SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)text);
    SendMessageW(combo, CB_SETITEMDATA, item, COverviewRows::kAllStatuses);
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    // The chosen status stays offered while it has no folder, so the
    // filter never changes under the user's hand.
    for (int status = 0; status < kStatusCount; ++status) {
        if (!counts[status] && status != chosen)
            continue;
        wsprintfW(text, L"%s (%d)", (const wchar_t*)m_statusNames[status], counts[status]);
        item = (int)SendMessageW(combo, CB_ADDSTRING, 0, (LPARAM)text);
        SendMessageW(combo, CB_SETITEMDATA, item, status);
        if (status == chosen)
            SendMessageW(combo, CB_SETCURSEL, item, 0);
    }
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

void COverviewDlg::OnFilterClosed() {
    if (m_filterStale)
        FillStatusFilter();
}

void COverviewDlg::OnFilterChanged() {
    HWND combo = Item(IDC_OV_STATUS), textBox = Item(IDC_OV_TEXT);
    int selected = (int)SendMessageW(combo, CB_GETCURSEL, 0, 0);
    int status = selected >= 0 ? (int)SendMessageW(combo, CB_GETITEMDATA, selected, 0)
                               : COverviewRows::kAllStatuses;
    int length = GetWindowTextLengthW(textBox);
    wchar_t* text = (wchar_t*)malloc(sizeof(wchar_t) * (length + 1));
    if (!text)
        return;
    GetWindowTextW(textBox, text, length + 1);
    {
        Selection kept(*this);
        m_rows.SetFilter(status, text);
    }
    free(text);
}

COverviewDlg::Selection::Selection(COverviewDlg& window, bool keep) : m_window(window) {
    HWND list = window.m_list;
    const COverviewRows& rows = window.m_rows;
    int focused = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    m_focused =
        keep && focused >= 0 && focused < rows.VisibleCount() ? rows.Visible(focused) : nullptr;
    if (keep)
        window.SelectedMarks(m_marks);
    m_top = (int)SendMessageW(list, LVM_GETTOPINDEX, 0, 0);
    m_shown = (int)SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0) + 1; // a part-shown last row
    if (m_top < 0 || m_shown > kMaxShown)
        m_shown = -1; // repaint whatever changes
    for (int i = 0; i < m_shown; ++i)
        m_rowsShown[i] = m_top + i < rows.VisibleCount() ? rows.Visible(m_top + i) : nullptr;
}

COverviewDlg::Selection::~Selection() {
    COverviewDlg& window = m_window;
    HWND list = window.m_list;
    const COverviewRows& rows = window.m_rows;
    // The rows in view repaint only when they show other marks now: a scan
    // adding rows out of view costs the window no drawing.
    SendMessageW(list, LVM_SETITEMCOUNT, rows.VisibleCount(),
                 LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    bool sameInView = m_shown >= 0;
    for (int i = 0; sameInView && i < m_shown; ++i)
        sameInView =
            m_rowsShown[i] == (m_top + i < rows.VisibleCount() ? rows.Visible(m_top + i) : nullptr);
    if (!sameInView)
        InvalidateRect(list, nullptr, FALSE);

    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) || m_focused)
        SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
    window.Select(m_marks);
    int focused = m_focused ? rows.RowOf(m_focused) : -1;
    if (focused >= 0) {
        state.state = LVIS_FOCUSED;
        state.stateMask = LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, focused, (LPARAM)&state);
    }
}

void COverviewDlg::SelectedMarks(MarkList& marks) const {
    for (int row = -1;;) {
        row = (int)SendMessageW(m_list, LVM_GETNEXTITEM, (WPARAM)row, LVNI_SELECTED);
        if (row < 0 || row >= m_rows.VisibleCount())
            return;
        marks.Push(m_rows.Visible(row));
    }
}

void COverviewDlg::Select(const MarkList& marks) {
    if (!marks.Count())
        return;
    // Looked up in order, so selecting every row costs no more than a sort.
    FolderMark** sorted = (FolderMark**)malloc(sizeof(FolderMark*) * marks.Count());
    if (!sorted)
        return;
    memcpy(sorted, marks.Items(), sizeof(FolderMark*) * marks.Count());
    std::sort(sorted, sorted + marks.Count());
    LVITEMW state = {};
    state.state = state.stateMask = LVIS_SELECTED;
    for (int row = 0; row < m_rows.VisibleCount(); ++row) {
        if (std::binary_search(sorted, sorted + marks.Count(), m_rows.Visible(row)))
            SendMessageW(m_list, LVM_SETITEMSTATE, row, (LPARAM)&state);
    }
    free(sorted);
}

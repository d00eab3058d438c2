// The overview while it scans: the scan started, its marks taken in
// batches, its progress and its totals on the status line.
#include "OverviewDlg.h"

#include "../res/resource.h"

void COverviewDlg::StartScan() {
    m_marksWaiting = false;
    ForgetKept(false);
    {
        Selection none(*this, false);
        m_rows.Clear();
    }
    FillStatusFilter();
    m_slots = CurrentSlotIcons();
    StartWatch(); // before the scan, so no change slips between them
    if (!m_scan.Start(m_hWnd, m_folder, m_slots)) {
        SetStatusLine(L"フォルダを調べられませんでした。");
        return;
    }
    SetStatusLine(L"0 個のフォルダを調べました");
    SetTimer(m_hWnd, kProgressTimer, kProgressMs, nullptr);
}

void COverviewDlg::OnMarksWaiting(WPARAM number) {
    if (number != m_scan.Number())
        return;
    // The first rows at once, then the tick takes them (kBatchMs).
    m_marksWaiting = true;
    if (m_rows.Count() && GetTickCount() - m_lastBatch < kBatchMs)
        return;
    TakeMarks();
}

void COverviewDlg::TakeMarks() {
    m_marksWaiting = false;
    m_lastBatch = GetTickCount();
    MarkList found;
    m_scan.TakeFound(found);
    if (!found.Count())
        return;
    if (m_kept.Count()) {
        ConfirmKept(found);
    } else {
        Selection kept(*this);
        m_rows.Add(found);
    }
    FillStatusFilter();
}

void COverviewDlg::OnScanEnded(WPARAM number) {
    if (number != m_scan.Number())
        return;
    TakeMarks(); // what came after the last batch
    KillTimer(m_hWnd, kProgressTimer);
    const bool ended = !m_scan.Totals().stopped;
    ForgetKept(ended);
    if (ended) {
        UpToDate();
        KeepRowsNow();
    }
    TakeBursts(); // what changed while it ran, read after it
    ShowTotals();
}

void COverviewDlg::OnProgressTimer() {
    if (!m_scan.IsRunning())
        return;
    if (m_scan.IsStopping()) { // again: a call begun just after the cancel missed it
        m_scan.Stop();
        return;
    }
    if (m_marksWaiting && GetTickCount() - m_lastBatch >= kBatchMs)
        TakeMarks();
    wchar_t text[160];
    wsprintfW(text, L"%u 個のフォルダを調べました", m_scan.Scanned());
    SYSTEMTIME utc = {}, local = {};
    if (m_kept.Count() && FileTimeToSystemTime(&m_keptScanned, &utc) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        wsprintfW(
            text, L"前回 %04u-%02u-%02u %02u:%02u の調べの結果です。%u 個のフォルダを調べました",
            local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, m_scan.Scanned());
    SetStatusLine(text);
}

void COverviewDlg::ShowTotals() {
    const ScanTotals& totals = m_scan.Totals();
    wchar_t text[200];
    wsprintfW(
        text,
        L"%s印のあるフォルダ %u 個、調べたフォルダ %u 個、読めなかったフォルダ %u 個、%u.%u 秒",
        totals.stopped ? L"中止しました: " : L"", m_rows.Count(), totals.scanned, totals.unreadable,
        (unsigned)(totals.milliseconds / 1000), (unsigned)(totals.milliseconds % 1000 / 100));
    WideText line(text);
    if (m_upToDateTick) {
        wsprintfW(text, L" (%02u:%02u:%02u 現在)", m_upToDate.wHour, m_upToDate.wMinute,
                  m_upToDate.wSecond);
        line += text;
    }
    if (!m_watch.Watching())
        line += L"。このフォルダの変更は追えません。F5 で一覧を更新します";
    SetStatusLine(line);
    m_lineShowsTotals = true;
}

void COverviewDlg::SetStatusLine(const wchar_t* text) {
    m_lineShowsTotals = false;
    SetWindowTextW(Item(IDC_OV_STATUS_LINE), text);
}

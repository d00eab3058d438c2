// The status overview's window: every marked folder under a folder in one
// list, filled while the scan runs, filtered, sorted and acted on from the
// keyboard.
#pragma once

#include "OverviewScan.h"
#include "OverviewWatch.h"

#include "../framework/Dialog.h"

#include <commctrl.h>

struct RestoreReport;

class COverviewDlg : public CDialog {
  public:
    explicit COverviewDlg(const wchar_t* folder);
    ~COverviewDlg() override;

    // Shows the window and starts the scan; false when it could not open.
    bool Create();
    // Keys of the window and the dialog manager's Tab and Esc, before the
    // message is dispatched; true when it was taken.
    bool PreTranslateMessage(MSG& message);

  protected:
    BOOL OnInitDialog() override;
    void OnOK() override { OnOpen(); }
    void OnCancel() override;
    bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void OnSize();
    void OnMinMaxInfo(MINMAXINFO& info);
    void OnClose() { DestroyWindow(m_hWnd); }
    void OnDestroy();
    bool OnListNotify(NMHDR& header, LRESULT& result);
    void OnContextMenu(HWND from, LPARAM at);
    // The scan (OverviewScanning.cpp).
    void OnMarksWaiting(WPARAM number);
    void OnScanEnded(WPARAM number);
    void OnProgressTimer();
    // The watch (OverviewLive.cpp).
    void OnWatchChanged(WPARAM number);
    void OnActivate(WPARAM state);
    // A move to a monitor of another scale (OverviewDpi.cpp).
    void OnDpiChanged(UINT dpi);
    // The filters (OverviewListRows.cpp).
    void OnFilterChanged();
    void OnFilterClosed();

    // The commands (OverviewCommands.cpp).
    void OnOpen();
    void OnChangeStatus();
    void OnCopy();
    void OnSelectAll();
    void OnExport();
    void OnRescan();
    void OnSettings();
    // Undo (OverviewUndo.cpp).
    void OnUndo() { TakeBack(true); }
    void OnRedo() { TakeBack(false); }
    void OnUnmark();
    void NameUndoItems(HMENU menu);

    DECLARE_MESSAGE_MAP()

  private:
    // While scanning: the status line's progress each tick; the marks found
    // taken at once when the list is empty, then at most once per batch time,
    // as each batch sorts and may redraw the rows in view.
    static const UINT_PTR kProgressTimer = 1;
    static const UINT kProgressMs = 100;
    static const DWORD kBatchMs = 250;
    // Lays the controls out again once the dialog manager has scaled them.
    static const UINT kRelayout = WM_APP + 4;

    // Kept across a change of the rows (OverviewListRows.cpp): the selected marks and the focused
    // one stay selected and focused wherever their rows go; the list learns
    // the new row count when it ends.
    class Selection {
      public:
        explicit Selection(COverviewDlg& window, bool keep = true);
        Selection(const Selection&) = delete;
        Selection& operator=(const Selection&) = delete;
        ~Selection();

      private:
        static const int kMaxShown = 256;

        COverviewDlg& m_window;
        MarkList m_marks;
        FolderMark* m_focused = nullptr;
        // The rows in view before the change.
        int m_top = 0;
        int m_shown = 0;
        FolderMark* m_rowsShown[kMaxShown] = {};
    };

    void AddColumns();
    // By that column; the same column again reverses the order.
    void SortByColumn(int column);
    void ShowSortArrow();
    void LoadStatusIcons();
    void StartScan();
    void StartWatch();
    // How the window was left (OverviewPlacement.cpp).
    void RestoreLayout();
    void KeepLayout();
    // The bursts the watch has read, once no scan runs.
    void TakeBursts();
    void ApplyBurst(WatchBurst& burst);
    // The old rows become the marks found at their folders, or go; the other
    // marks found are added. The selection and the focus follow the folders.
    void ReplaceRows(MarkList& old, MarkList& found);
    // The last scan's rows, shown until the scan confirms them (OverviewCache.cpp).
    void ShowKeptRows();
    void ConfirmKept(MarkList& found);
    // Rows read again by the window's own change: the kept rows follow.
    void FollowKept(const MarkList& old, const MarkList& now);
    int KeptIndex(const FolderMark& mark) const;
    void ForgetKept(bool scanEnded);
    void KeepRowsNow();
    void UpToDate();
    void TakeMarks();
    void FillStatusFilter();
    void ShowTotals();
    void SetStatusLine(const wchar_t* text);
    void GetDisplayText(NMLVDISPINFOW& info);
    // The selected rows' marks, in row order.
    void SelectedMarks(MarkList& marks) const;
    void Select(const MarkList& marks);
    // Reads the marks' folders again with the current slots.
    void ReadAgain(const MarkList& marks);
    HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }
    // Delete and Ctrl+Z, Ctrl+Y in the search field are the field's own.
    bool EditKeepsKey(const MSG& message) const;
    void TakeBack(bool undo);
    // The folders restored read again: rows change or go, and a folder
    // under this window's folder that has a mark again gets its row back.
    void ShowRestored(const RestoreReport& report);

    WideText m_folder;
    WideText m_statusNames[kStatusCount];
    HWND m_list = nullptr;
    HACCEL m_keys = nullptr;
    int m_statusImage[kStatusCount] = {};
    SlotIcons m_slots;
    COverviewRows m_rows;
    COverviewScan m_scan;
    COverviewWatch m_watch;
    SYSTEMTIME m_upToDate = {}; // when the list was last brought up to date
    FILETIME m_upToDateFile = {};
    WideText m_root; // the folder as the rows name it
    // While a scan confirms the kept rows: copies by folder, each one's row
    // (null once gone), and whether the scan has found its folder.
    MarkList m_kept;
    FolderMark** m_keptRows = nullptr;
    bool* m_keptConfirmed = nullptr;
    FILETIME m_keptScanned = {};
    DWORD m_upToDateTick = 0;
    bool m_lineShowsTotals = false;
    UINT m_dpi = 0;              // the monitor's the window is laid out for
    bool m_marksWaiting = false; // told of marks not yet taken
    DWORD m_lastBatch = 0;       // when they were last taken
    bool m_filterStale = false;  // counts changed while the status list was open
    HICON m_hIcon = nullptr;
    WINDOWPLACEMENT m_placement = {}; // as last left; its length unset when none
};

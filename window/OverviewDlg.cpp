#include "OverviewDlg.h"

#include "OverviewDpi.h"

#include "../framework/App.h"
#include "../res/resource.h"

#include <shellapi.h>
#include <shlobj.h>
#include <windowsx.h>

namespace {
// Column widths in dialog units: status, folder, description, time.
const int kColumnWidths[COverviewRows::kColumns] = {50, 210, 130, 84};
const wchar_t* const kColumnTitles[COverviewRows::kColumns] = {L"状態", L"フォルダ", L"説明",
                                                               L"更新日時"};

int DialogUnitsX(HWND dialog, int units) {
    RECT rect = {0, 0, units, 0};
    MapDialogRect(dialog, &rect);
    return rect.right;
}
} // namespace

// Every other message entry of this window takes wParam and lParam as they
// come.
#define ON_OV_MESSAGE(id, run) AFX_MSG_ENTRY(message == (id), run; *pResult = 0)

BEGIN_MESSAGE_MAP(COverviewDlg, CDialog)
ON_OV_MESSAGE(WM_SIZE, OnSize())
ON_OV_MESSAGE(WM_GETMINMAXINFO, OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam)))
ON_OV_MESSAGE(WM_CLOSE, OnClose())
ON_OV_MESSAGE(WM_DESTROY, OnDestroy())
ON_OV_MESSAGE(WM_CONTEXTMENU, OnContextMenu((HWND)wParam, lParam))
ON_OV_MESSAGE(WM_TIMER, OnProgressTimer())
ON_OV_MESSAGE(COverviewScan::kMarksWaiting, OnMarksWaiting(wParam))
ON_OV_MESSAGE(COverviewScan::kScanEnded, OnScanEnded(wParam))
ON_OV_MESSAGE(COverviewWatch::kChanged, OnWatchChanged(wParam))
AFX_MSG_ENTRY(message == WM_ACTIVATE, OnActivate(wParam); return false) // the focus is the dialog's
AFX_MSG_ENTRY(message == WM_DPICHANGED, OnDpiChanged(HIWORD(wParam)); return false)
ON_OV_MESSAGE(kRelayout, OnSize())
AFX_MSG_ENTRY(message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == IDC_OV_LIST,
              *pResult = 0;
              if (!OnListNotify(*reinterpret_cast<NMHDR*>(lParam), *pResult)) return false)
ON_CONTROL(CBN_SELCHANGE, IDC_OV_STATUS, OnFilterChanged)
ON_CONTROL(CBN_CLOSEUP, IDC_OV_STATUS, OnFilterClosed)
ON_CONTROL(EN_CHANGE, IDC_OV_TEXT, OnFilterChanged)
ON_COMMAND(ID_OV_OPEN, OnOpen)
ON_COMMAND(ID_OV_CHANGE, OnChangeStatus)
ON_COMMAND(ID_OV_COPY, OnCopy)
ON_COMMAND(ID_OV_SELECT_ALL, OnSelectAll)
ON_COMMAND(ID_OV_EXPORT, OnExport)
ON_COMMAND(ID_OV_RESCAN, OnRescan)
ON_COMMAND(ID_OV_SETTINGS, OnSettings)
ON_COMMAND(ID_OV_CLOSE, OnClose)
ON_COMMAND(ID_OV_UNDO, OnUndo)
ON_COMMAND(ID_OV_REDO, OnRedo)
ON_COMMAND(ID_OV_UNMARK, OnUnmark)
AFX_MSG_ENTRY(message == WM_INITMENUPOPUP, NameUndoItems((HMENU)wParam); *pResult = 0)
// A header's click from the keyboard: the same column again reverses.
AFX_MSG_ENTRY(message == WM_COMMAND && HIWORD(wParam) == 0 && LOWORD(wParam) >= ID_OV_SORT_FIRST &&
                  LOWORD(wParam) < ID_OV_SORT_FIRST + 4,
              SortByColumn(LOWORD(wParam) - ID_OV_SORT_FIRST);
              *pResult = 0)
END_MESSAGE_MAP()

COverviewDlg::COverviewDlg(const wchar_t* folder)
    : CDialog(IDD_OVERVIEW), m_folder(folder), m_root(ShownPathOf(ExtendedFolderPathOf(folder))) {
    m_hIcon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    for (int status = 0; status < kStatusCount; ++status)
        m_statusNames[status] = WideText(StatusName(status));
}

COverviewDlg::~COverviewDlg() {
    if (m_hWnd)
        DestroyWindow(m_hWnd);
    ForgetKept(false);
}

bool COverviewDlg::Create() {
    // Wide, so the list, the text box and the title take every name.
    if (!CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_OVERVIEW), nullptr,
                            DialogProc, (LPARAM)this))
        return false;
    if (!m_placement.length || !SetWindowPlacement(m_hWnd, &m_placement))
        ShowWindow(m_hWnd, SW_SHOWNORMAL);
    StartScan();
    ShowKeptRows();
    return true;
}

bool COverviewDlg::PreTranslateMessage(MSG& message) {
    if (!m_hWnd || (message.hwnd != m_hWnd && !IsChild(m_hWnd, message.hwnd)))
        return false;
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && !EditKeepsKey(message) &&
        TranslateAcceleratorW(m_hWnd, m_keys, &message))
        return true;
    return IsDialogMessageW(m_hWnd, &message) != FALSE;
}

BOOL COverviewDlg::OnInitDialog() {
    WideText title(L"状態の一覧 - ");
    title += m_folder;
    SetWindowTextW(m_hWnd, title);
    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    // The title bar's own size from the file, rather than the large one shrunk.
    HICON small =
        (HICON)LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)(small ? small : m_hIcon));
    m_keys = LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_OVERVIEW_KEYS));

    m_list = Item(IDC_OV_LIST);
    SendMessageW(m_list, CCM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageW(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP |
                     LVS_EX_HEADERDRAGDROP);
    m_dpi = DpiOf(m_hWnd);
    AddColumns();
    RestoreLayout();
    m_slots = CurrentSlotIcons();
    LoadStatusIcons();
    FillStatusFilter();
    OnSize();
    SetFocus(m_list);
    return FALSE; // the focus is set
}

void COverviewDlg::AddColumns() {
    for (int column = 0; column < COverviewRows::kColumns; ++column) {
        LVCOLUMNW info = {};
        info.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        info.pszText = const_cast<wchar_t*>(kColumnTitles[column]);
        info.cx = DialogUnitsX(m_hWnd, kColumnWidths[column]);
        info.iSubItem = column;
        SendMessageW(m_list, LVM_INSERTCOLUMNW, column, (LPARAM)&info);
    }
    ShowSortArrow();
}

void COverviewDlg::ShowSortArrow() {
    HWND header = (HWND)SendMessageW(m_list, LVM_GETHEADER, 0, 0);
    for (int column = 0; column < COverviewRows::kColumns; ++column) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, column, (LPARAM)&item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == m_rows.SortColumn())
            item.fmt |= m_rows.SortDescending() ? HDF_SORTDOWN : HDF_SORTUP;
        SendMessageW(header, HDM_SETITEMW, column, (LPARAM)&item);
    }
}

// The status's own small icon, from its slot's file, as the popup shows it;
// 標準 and その他 have none there either.
void COverviewDlg::LoadStatusIcons() {
    const int width = MetricForDpi(SM_CXSMICON, m_dpi), height = MetricForDpi(SM_CYSMICON, m_dpi);
    HIMAGELIST icons = ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, kStatusCount, 0);
    for (int status = 0; status < kStatusCount; ++status) {
        m_statusImage[status] = I_IMAGENONE;
        HICON small = nullptr;
        // At the monitor's size, not the system's shrunk or stretched.
        if (status == kStatusStandard || status == kStatusOther)
            continue;
        if (SHDefExtractIconW(m_slots.path[status], m_slots.index[status], 0, nullptr, &small,
                              MAKELONG(width, width)) != S_OK)
            ExtractIconExW(m_slots.path[status], m_slots.index[status], nullptr, &small, 1);
        if (!small)
            continue;
        ScopedIcon icon(small); // the list copies it
        m_statusImage[status] = ImageList_AddIcon(icons, icon);
    }
    // The list destroys the list it holds at the end; one it gives back is ours.
    HIMAGELIST previous =
        (HIMAGELIST)SendMessageW(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)icons);
    if (previous)
        ImageList_Destroy(previous);
}

void COverviewDlg::OnSize() {
    if (!m_list || IsIconic(m_hWnd))
        return;
    RECT client = {}, list = {}, line = {}, text = {};
    GetClientRect(m_hWnd, &client);
    HWND statusLine = Item(IDC_OV_STATUS_LINE), textBox = Item(IDC_OV_TEXT);
    HWND windows[] = {m_list, statusLine, textBox};
    RECT* rects[] = {&list, &line, &text};
    for (int i = 0; i < 3; ++i) {
        GetWindowRect(windows[i], rects[i]);
        MapWindowPoints(nullptr, m_hWnd, (POINT*)rects[i], 2);
    }
    const int margin = list.left, gap = DialogUnitsX(m_hWnd, 3);
    const int lineHeight = line.bottom - line.top;
    const int lineTop = client.bottom - gap - lineHeight;
    const int textWidth = client.right - margin - text.left;
    SetWindowPos(textBox, nullptr, 0, 0, textWidth > 60 ? textWidth : 60, text.bottom - text.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(m_list, nullptr, margin, list.top, client.right - 2 * margin,
                 lineTop - gap - list.top, SWP_NOZORDER);
    SetWindowPos(statusLine, nullptr, margin, lineTop, client.right - 2 * margin, lineHeight,
                 SWP_NOZORDER);
}

void COverviewDlg::OnMinMaxInfo(MINMAXINFO& info) {
    info.ptMinTrackSize.x = DialogUnitsX(m_hWnd, 300);
    info.ptMinTrackSize.y = DialogUnitsX(m_hWnd, 120);
}

void COverviewDlg::OnCancel() {
    // Esc stops a running scan and keeps what it found; once nothing runs,
    // or the scan is already asked to stop, it closes the window.
    if (m_scan.IsRunning() && !m_scan.IsStopping()) {
        m_scan.Stop();
        SetStatusLine(L"中止しています...");
        return;
    }
    OnClose();
}

void COverviewDlg::OnDestroy() {
    KillTimer(m_hWnd, kProgressTimer);
    KeepLayout();
    if (m_watch.Watching() && !m_scan.IsRunning()) // the rows as the watch kept them
        KeepRowsNow();
    m_scan.LetGo();
    m_watch.LetGo();
    PostQuitMessage(0);
}

bool COverviewDlg::OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // A key's command comes as a menu's does.
    if (message == WM_COMMAND && HIWORD(wParam) == 1 && !lParam)
        wParam = MAKEWPARAM(LOWORD(wParam), 0);
    return CDialog::OnDialogMessage(message, wParam, lParam, result);
}

bool COverviewDlg::OnListNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_GETDISPINFOW:
        GetDisplayText(reinterpret_cast<NMLVDISPINFOW&>(header));
        return true;
    case LVN_ODFINDITEMW:
        result = -1; // no type-ahead search
        return true;
    case LVN_COLUMNCLICK:
        SortByColumn(reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        return true;
    case NM_DBLCLK:
        if (reinterpret_cast<NMITEMACTIVATE&>(header).iItem >= 0)
            OnOpen();
        return true;
    case NM_RETURN:
        OnOpen();
        return true;
    default:
        return false;
    }
}

void COverviewDlg::SortByColumn(int column) {
    Selection kept(*this);
    m_rows.SortBy(column);
    ShowSortArrow();
}

void COverviewDlg::OnContextMenu(HWND from, LPARAM at) {
    if (from != m_list)
        return;
    POINT point = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == (LPARAM)-1) { // from the keyboard: below the focused row
        int row = (int)SendMessageW(m_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
        RECT rect = {LVIR_LABEL, 0, 0, 0};
        if (row < 0 || !SendMessageW(m_list, LVM_GETITEMRECT, row, (LPARAM)&rect))
            rect = {0, 0, 0, 0};
        point = {rect.left, rect.bottom};
        ClientToScreen(m_list, &point);
    }
    HMENU menu = LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_OVERVIEW_CONTEXT));
    if (!menu)
        return;
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
}

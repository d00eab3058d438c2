// The overview's commands: each has a key, a menu entry, and most a place
// in the context menu.
#include "OverviewDlg.h"

#include "OverviewDpi.h"
#include "../popup/PropSeet.h"
#include "../popup/SelectDlg.h"
#include "../base/Settings.h"
#include "../base/SettingsChanges.h"
#include "../framework/App.h"
#include "../framework/LateBound.h"
#include "../res/resource.h"

#include <algorithm>
#include <commdlg.h>
#include <shellapi.h>
#include <string.h>

namespace {
void Refuse(HWND owner, const wchar_t* text) {
    MessageBoxW(owner, text, WideText(AfxGetAppName()), MB_OK | MB_ICONEXCLAMATION);
}
} // namespace

void COverviewDlg::OnOpen() {
    int row = (int)SendMessageW(m_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED | LVNI_SELECTED);
    if (row < 0)
        row = (int)SendMessageW(m_list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
    if (row < 0 || row >= m_rows.VisibleCount()) {
        MessageBeep(MB_OK);
        return;
    }
    SHELLEXECUTEINFOW open = {};
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_FLAG_NO_UI;
    open.hwnd = m_hWnd;
    open.lpVerb = L"open";
    open.lpFile = m_rows.Visible(row)->folder;
    open.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&open))
        return;
    WideText text(L"フォルダを開けませんでした:\r\n");
    text += m_rows.Visible(row)->folder;
    Refuse(m_hWnd, text);
}

// The popup's own run on the selected folders, as Explorer would start it,
// modal over this window; it writes no settings.
void COverviewDlg::OnChangeStatus() {
    MarkList marks;
    SelectedMarks(marks);
    if (!marks.Count()) {
        MessageBeep(MB_OK);
        return;
    }
    // Every selected row: the hand-over's limit between launches means
    // nothing here. The rows are distinct folders already, so each is only
    // spelled; those no code page spells are named in one box.
    g_targetFolders.Clear();
    WideText unspelled;
    for (int i = 0; i < marks.Count(); ++i) {
        CString path;
        if (AnsiPathOf(marks[i]->folder, path)) {
            g_targetFolders.AddDistinct(marks[i]->folder, path);
            continue;
        }
        unspelled += L"\r\n";
        unspelled += marks[i]->folder;
    }
    if (*unspelled) {
        WideText text(L"このフォルダの名前は扱えません。Shift-JIS で書けず、短い名前もありません:");
        text += unspelled;
        Refuse(m_hWnd, text);
        g_targetFolders.Clear();
        return;
    }
    g_strTargetFolder = g_targetFolders.Path(0);
    {
        ScopedThreadDpi popupLooks(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
        CSelectDlg chooser(nullptr);
        chooser.DoModal();
    }
    g_targetFolders.Clear();
    g_strTargetFolder.Empty();
    ReadAgain(marks);
}

void COverviewDlg::ReadAgain(const MarkList& marks) {
    MarkList selected, reselect, now;
    SelectedMarks(selected);
    FolderMark** begin = const_cast<FolderMark**>(selected.Items());
    std::sort(begin, begin + selected.Count());
    for (int i = 0; i < marks.Count(); ++i) {
        FolderMark* mark = new FolderMark;
        if (!ReadFolderMark(marks[i]->folder, m_slots, *mark)) {
            delete mark; // no mark any more: the row goes
            mark = nullptr;
        }
        if (mark && std::binary_search(begin, begin + selected.Count(), marks[i]))
            reselect.Push(mark);
        now.Push(mark);
    }
    FollowKept(marks, now);
    {
        Selection none(*this, false);
        m_rows.Replace(marks, now);
    }
    Select(reselect);
    int first = reselect.Count() ? m_rows.RowOf(reselect[0]) : -1;
    if (first >= 0) {
        LVITEMW state = {};
        state.state = state.stateMask = LVIS_FOCUSED;
        SendMessageW(m_list, LVM_SETITEMSTATE, first, (LPARAM)&state);
        SendMessageW(m_list, LVM_ENSUREVISIBLE, first, FALSE);
    }
    FillStatusFilter();
}

void COverviewDlg::OnCopy() {
    HWND focus = GetFocus();
    if (focus == Item(IDC_OV_TEXT)) { // the key's usual meaning there
        SendMessageW(focus, WM_COPY, 0, 0);
        return;
    }
    MarkList marks;
    SelectedMarks(marks);
    if (!marks.Count()) {
        MessageBeep(MB_OK);
        return;
    }
    // The export's lines without its byte-order mark and header.
    CString bytes = MarksAsText(marks.Items(), marks.Count());
    const char* body = strstr(bytes, "\r\n");
    body = body ? body + 2 : "";
    int length = MultiByteToWideChar(CP_UTF8, 0, body, -1, nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(wchar_t) * (length > 0 ? length : 1));
    wchar_t* text = memory ? (wchar_t*)GlobalLock(memory) : nullptr;
    if (!text) {
        GlobalFree(memory);
        return;
    }
    text[0] = L'\0';
    MultiByteToWideChar(CP_UTF8, 0, body, -1, text, length);
    GlobalUnlock(memory);
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(memory);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory); // the clipboard owns it only once taken
    CloseClipboard();
}

void COverviewDlg::OnSelectAll() {
    HWND focus = GetFocus();
    if (focus == Item(IDC_OV_TEXT)) {
        SendMessageW(focus, EM_SETSEL, 0, -1);
        return;
    }
    LVITEMW state = {};
    state.state = state.stateMask = LVIS_SELECTED;
    SendMessageW(m_list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
}

void COverviewDlg::OnExport() {
    const DWORD kNameChars = 32768; // a long path, as the -W dialog takes it
    wchar_t* name = (wchar_t*)calloc(kNameChars, sizeof(wchar_t));
    if (!name)
        return;
    lstrcpynW(name, L"状態の一覧.tsv", kNameChars);
    OPENFILENAMEW save = {};
    save.lStructSize = sizeof(save);
    save.hwndOwner = m_hWnd;
    save.lpstrFilter = L"タブ区切りテキスト (*.tsv)\0*.tsv\0テキスト (*.txt)\0*.txt\0"
                       L"すべてのファイル (*.*)\0*.*\0";
    save.lpstrFile = name;
    save.nMaxFile = kNameChars;
    save.lpstrDefExt = L"tsv";
    save.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // The dialogs' library is loaded now, not at the program's start.
    auto showSave = LATE_BOUND(L"comdlg32.dll", GetSaveFileNameW);
    if (showSave && showSave(&save)) {
        if (WriteMarksFile(name, m_rows.VisibleMarks(), m_rows.VisibleCount())) {
            wchar_t count[32];
            wsprintfW(count, L"%d 行を書き出しました: ", m_rows.VisibleCount());
            WideText done(count);
            done += name;
            SetStatusLine(done);
        } else {
            WideText text(L"書き出せませんでした。何も変えていません:\r\n");
            text += name;
            Refuse(m_hWnd, text);
        }
    }
    free(name);
}

void COverviewDlg::OnRescan() {
    StartScan();
}

// The sheet as the popup would open it. OK writes the keys it changed and
// matches the statuses again; Cancel puts back what it changed, since a
// change that is never written would only part the window from the file.
void COverviewDlg::OnSettings() {
    SettingsSnapshot before;
    ScopedThreadDpi sheetLooks(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
    CPropSeet sheet("Vorelkinのプロパティ", nullptr, 0);
    if (sheet.DoModal() != IDOK) {
        before.Restore();
        return;
    }
    before.WriteChanges();
    m_slots = CurrentSlotIcons();
    LoadStatusIcons();
    StartWatch();             // its reads match against the new slots
    if (m_scan.IsRunning()) { // what it found so far used the old slots
        StartScan();
        return;
    }
    MarkList all;
    for (int i = 0; i < m_rows.Count(); ++i)
        all.Push(m_rows.Mark(i));
    ReadAgain(all);
}

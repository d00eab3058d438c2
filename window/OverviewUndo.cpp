// 元に戻す, やり直し and 印を外す in the overview: none asks first, as each
// can itself be taken back; the rows show the result at once.
#include "OverviewDlg.h"

#include "../framework/App.h"
#include "../res/resource.h"
#include "../journal/Journal.h"
#include "../undo/Restore.h"

#include <wchar.h>

namespace {
void ShowProblems(HWND owner, const RestoreReport& report) {
    const WideText problems = RestoreProblems(report);
    if (*(const wchar_t*)problems)
        MessageBoxW(owner, problems, WideText(AfxGetAppName()), MB_OK | MB_ICONEXCLAMATION);
}

// The item names what it would take back, and is grayed when nothing is.
void NameItem(HMENU menu, UINT id, const wchar_t* verb, const wchar_t* key, bool undo) {
    if (GetMenuState(menu, id, MF_BYCOMMAND) == (UINT)-1)
        return;
    const WideText action = NextActionName(undo);
    WideText text(verb);
    if (*(const wchar_t*)action) {
        text += L": ";
        text += action;
    }
    text += key;
    ModifyMenuW(menu, id, MF_BYCOMMAND | MF_STRING | (*(const wchar_t*)action ? 0 : MF_GRAYED), id,
                text);
}
} // namespace

bool COverviewDlg::EditKeepsKey(const MSG& message) const {
    if (message.hwnd != Item(IDC_OV_TEXT) || message.message != WM_KEYDOWN)
        return false;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    return message.wParam == VK_DELETE ||
           (control && (message.wParam == 'Z' || message.wParam == 'Y'));
}

void COverviewDlg::NameUndoItems(HMENU menu) {
    NameItem(menu, ID_OV_UNDO, L"元に戻す(&U)", L"\tCtrl+Z", true);
    NameItem(menu, ID_OV_REDO, L"やり直し(&R)", L"\tCtrl+Y", false);
}

void COverviewDlg::TakeBack(bool undo) {
    RestoreReport report;
    if (!TakeBackLast(undo, report)) {
        MessageBeep(MB_OK);
        return;
    }
    ShowRestored(report);
    ShowProblems(m_hWnd, report);
}

void COverviewDlg::OnUnmark() {
    MarkList marks;
    SelectedMarks(marks);
    if (!marks.Count()) {
        MessageBeep(MB_OK);
        return;
    }
    Items<WideText> folders;
    folders.Reserve((size_t)marks.Count());
    for (int i = 0; i < marks.Count(); ++i)
        folders.Add(marks[i]->folder);
    RestoreReport report;
    UnmarkFolders(folders, report);
    ShowRestored(report);
    ShowProblems(m_hWnd, report);
}

void COverviewDlg::ShowRestored(const RestoreReport& report) {
    MarkList old, found;
    const size_t rootLength = wcslen(m_root);
    for (const FolderResult& result : report.folders) {
        if (result.result != RestoreResult::kDone)
            continue;
        FolderMark* row = nullptr;
        for (int i = 0; i < m_rows.Count() && !row; ++i) {
            if (SameFolder(m_rows.Mark(i)->folder, result.folder))
                row = m_rows.Mark(i);
        }
        // Without a row: a folder in this window's tree, the root or below.
        const wchar_t* name = row ? (const wchar_t*)row->folder : (const wchar_t*)result.folder;
        if (!row && (wcslen(name) < rootLength ||
                     CompareStringOrdinal(name, (int)rootLength, m_root, (int)rootLength, TRUE) !=
                         CSTR_EQUAL ||
                     (name[rootLength] && name[rootLength] != L'\\' && rootLength &&
                      m_root[rootLength - 1] != L'\\')))
            continue;
        if (row)
            old.Push(row);
        FolderMark* mark = new FolderMark;
        if (ReadFolderMark(name, m_slots, *mark)) {
            mark->folder = WideText(name);
            found.Push(mark);
        } else {
            delete mark;
        }
    }
    ReplaceRows(old, found);
    FillStatusFilter();
}

// The popup's keyboard, as in a context menu: the arrows, Home and End move
// the bar over the enabled rows, Enter and Space choose its row, 1 to 7 the
// slot rows; Esc stays with the dialog manager, which cancels.
#include "SelectDlg.h"

namespace {
// The open popup, for the filter, which gets no context of its own.
CSelectDlg* g_pKeyPopup = nullptr;

// The next enabled row after `from` in the direction `step`, round the ends;
// `from` may be -1 or `count`, before the first row or after the last.
int NextEnabledRow(const std::array<CStatic*, 11>& rows, int from, int step) {
    const int count = (int)rows.size();
    for (int i = 1; i <= count; ++i) {
        int row = ((from + step * i) % count + count) % count;
        if (IsWindowEnabled(rows[row]->m_hWnd))
            return row;
    }
    return -1;
}

int SlotOfKey(UINT key) {
    if (key >= '1' && key <= '7')
        return (int)(key - '0');
    if (key >= VK_NUMPAD1 && key <= VK_NUMPAD7)
        return (int)(key - VK_NUMPAD0);
    return 0;
}
} // namespace

// The dialog manager takes the arrows, Enter and Esc before any window of a
// dialog sees them, and the rows are statics that want no keys. Its message
// filter (WH_MSGFILTER, MSGF_DIALOGBOX) runs first for every message of a
// dialog's loop, wherever the focus sits in the popup, so the popup reads
// its keys there. A focusable control of our own would have to be created
// and kept focused; the filter needs neither.
void CSelectDlg::WatchMenuKeys(bool watch) {
    m_keyFilter.Reset();
    g_pKeyPopup = watch ? this : nullptr;
    if (watch)
        m_keyFilter.Reset(
            SetWindowsHookExA(WH_MSGFILTER, FilterMenuKeys, nullptr, GetCurrentThreadId()));
}

LRESULT CALLBACK CSelectDlg::FilterMenuKeys(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    CSelectDlg* popup = g_pKeyPopup;
    if (code == MSGF_DIALOGBOX && popup && popup->m_hWnd && msg->message == WM_KEYDOWN &&
        (msg->hwnd == popup->m_hWnd || IsChild(popup->m_hWnd, msg->hwnd)) &&
        popup->OnMenuKey((UINT)msg->wParam))
        return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// True when the key was the popup's; the dialog manager sees the others.
bool CSelectDlg::OnMenuKey(UINT key) {
    std::array<CStatic*, 11> rows = MenuItems();
    const int count = (int)rows.size();
    int bar = -1;
    for (int row = 0; row < count; ++row) {
        if (rows[row] == m_pHoverWnd)
            bar = row;
    }
    int target = -1;
    switch (key) {
    case VK_DOWN:
        target = NextEnabledRow(rows, bar, +1);
        break;
    case VK_UP:
        target = NextEnabledRow(rows, bar < 0 ? count : bar, -1);
        break;
    case VK_HOME:
        target = NextEnabledRow(rows, -1, +1);
        break;
    case VK_END:
        target = NextEnabledRow(rows, count, -1);
        break;
    case VK_RETURN: // with no bar, nothing
    case VK_SPACE:
        if (bar >= 0)
            ChooseRow(*rows[bar]);
        return true;
    default:
        if (!SlotOfKey(key))
            return false;
        ChooseRow(*rows[SlotOfKey(key)]);
        return true;
    }
    if (target >= 0 && rows[target] != m_pHoverWnd)
        MoveBar(rows[target]);
    return true;
}

// What a click on the row sends; a disabled row takes no click.
void CSelectDlg::ChooseRow(CStatic& row) {
    if (!IsWindowEnabled(row.m_hWnd))
        return;
    if (m_pHoverWnd != &row)
        MoveBar(&row);
    SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(row.m_hWnd), STN_CLICKED), (LPARAM)row.m_hWnd);
}

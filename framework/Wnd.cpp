#include "Wnd.h"

namespace {
CWnd* g_boundWindows = nullptr; // every CWnd with a handle attached
CWnd* g_tempWindows = nullptr;  // stand-ins for handles no object owns
} // namespace

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const MessageMapEntry* entry = FindEntry(WM_COMMAND, code, id);
    if (!entry)
        return false;
    (this->*entry->handler.onVoid)();
    return true;
}

const MessageMap* CCmdTarget::GetThisMessageMap() {
    static const MessageMapEntry entries[] = {{0, 0, 0, MessageHandler()}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    for (const MessageMap* map = GetMessageMap(); map;
         map = map->baseMap ? map->baseMap() : nullptr) {
        for (const MessageMapEntry* entry = map->entries; entry->message; ++entry) {
            if (entry->message != message)
                continue;
            if (message == WM_COMMAND && (entry->code != code || entry->id != id))
                continue;
            return entry;
        }
    }
    return nullptr;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    Detach();
}

void CWnd::Attach(HWND window) {
    Detach();
    m_hWnd = window;
    if (!window || m_temporary)
        return;
    m_nextBound = g_boundWindows;
    g_boundWindows = this;
}

void CWnd::Detach() {
    if (!m_temporary) {
        for (CWnd** link = &g_boundWindows; *link; link = &(*link)->m_nextBound) {
            if (*link == this) {
                *link = m_nextBound;
                break;
            }
        }
    }
    m_nextBound = nullptr;
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!window)
        return nullptr;
    for (CWnd* bound = g_boundWindows; bound; bound = bound->m_nextBound) {
        if (bound->m_hWnd == window)
            return bound;
    }
    for (CWnd* temp = g_tempWindows; temp; temp = temp->m_nextBound) {
        if (temp->m_hWnd == window)
            return temp;
    }
    CWnd* temp = new CWnd;
    temp->m_temporary = true;
    temp->m_hWnd = window;
    temp->m_nextBound = g_tempWindows;
    g_tempWindows = temp;
    return temp;
}

void CWnd::DeleteTempMap() {
    while (g_tempWindows) {
        CWnd* temp = g_tempWindows;
        g_tempWindows = temp->m_nextBound;
        delete temp;
    }
}

CString CWnd::GetWindowText() const {
    CString text;
    int length = GetWindowTextLengthA(m_hWnd);
    char* buffer = text.GetBuffer(length);
    ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
    return text;
}

LRESULT CWnd::Default() {
    return DefWindowProcA(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return (BOOL)Default();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) {
    return (HBRUSH)Default();
}

bool CWnd::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    UINT lookup = message;
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
        lookup = WM_CTLCOLOR;
    const MessageMapEntry* entry = lookup == WM_COMMAND
                                       ? FindEntry(WM_COMMAND, HIWORD(wParam), LOWORD(wParam))
                                       : FindEntry(lookup, 0, 0);
    if (!entry)
        return false;

    // Handlers run nested messages; each keeps its own for Default().
    CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam};
    result = 0;
    const MessageHandler& handler = entry->handler;
    switch (handler.sig) {
    case HandlerSig::Void:
        (this->*handler.onVoid)();
        break;
    case HandlerSig::SetCursor:
        result =
            (this->*handler.onSetCursor)(FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case HandlerSig::CtlColor: {
        CDC dc((HDC)wParam);
        result = (LRESULT)(this->*handler.onCtlColor)(&dc, FromHandle((HWND)lParam),
                                                      message - WM_CTLCOLORMSGBOX);
        break;
    }
    case HandlerSig::QueryIcon:
        result = (LRESULT)(this->*handler.onQueryIcon)();
        break;
    }
    m_current = outer;
    return true;
}

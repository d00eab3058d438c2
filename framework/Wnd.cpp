#include "Wnd.h"

namespace {
CWnd* g_boundWindows = nullptr; // every CWnd with a handle attached
} // namespace

CWnd::~CWnd() {
    Detach();
}

void CWnd::Attach(HWND window) {
    Detach();
    m_hWnd = window;
    if (!window)
        return;
    m_nextBound = g_boundWindows;
    g_boundWindows = this;
}

void CWnd::Detach() {
    for (CWnd** link = &g_boundWindows; *link; link = &(*link)->m_nextBound) {
        if (*link == this) {
            *link = m_nextBound;
            break;
        }
    }
    m_nextBound = nullptr;
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandle(HWND window) {
    for (CWnd* bound = g_boundWindows; window && bound; bound = bound->m_nextBound) {
        if (bound->m_hWnd == window)
            return bound;
    }
    return nullptr;
}

CString CWnd::GetWindowText() const {
    CString text;
    int length = GetWindowTextLengthA(m_hWnd);
    char* buffer = text.GetBuffer(length);
    ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
    return text;
}

#include "OverviewDpi.h"

#include "OverviewDlg.h"

#include "../framework/LateBound.h"

namespace {
// Looked up by name: Windows 7 has none of them ("SetThreadDpiAwarenessContext
// function", "GetDpiForWindow function", "GetSystemMetricsForDpi function").
using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
using DpiForWindow = UINT(WINAPI*)(HWND);
using MetricsForDpi = int(WINAPI*)(int, UINT);

template <class Function> Function User32(const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(LateProcAddress(L"user32.dll", name)));
}

UINT SystemDpi() {
    ScopedGetDC screen(nullptr);
    return (UINT)GetDeviceCaps(screen, LOGPIXELSX);
}
} // namespace

ScopedThreadDpi::ScopedThreadDpi(DPI_AWARENESS_CONTEXT context) {
    if (auto set = User32<SetContext>("SetThreadDpiAwarenessContext"))
        m_previous = set(context);
}

ScopedThreadDpi::~ScopedThreadDpi() {
    if (!m_previous)
        return;
    if (auto set = User32<SetContext>("SetThreadDpiAwarenessContext"))
        set(m_previous);
}

UINT DpiOf(HWND window) {
    auto dpiFor = User32<DpiForWindow>("GetDpiForWindow");
    UINT dpi = dpiFor ? dpiFor(window) : 0;
    return dpi ? dpi : SystemDpi();
}

int MetricForDpi(int index, UINT dpi) {
    auto metrics = User32<MetricsForDpi>("GetSystemMetricsForDpi");
    return metrics ? metrics(index, dpi) : GetSystemMetrics(index);
}

// The dialog manager moves and sizes the window and its controls and gives
// them fonts for the new DPI ("DIALOG_DPI_CHANGE_BEHAVIORS enumeration");
// the columns and the status icons are the window's own to scale.
void COverviewDlg::OnDpiChanged(UINT dpi) {
    if (!m_dpi || dpi == m_dpi)
        return;
    for (int column = 0; column < COverviewRows::kColumns; ++column) {
        int width = (int)SendMessageW(m_list, LVM_GETCOLUMNWIDTH, column, 0);
        SendMessageW(m_list, LVM_SETCOLUMNWIDTH, column, MulDiv(width, (int)dpi, (int)m_dpi));
    }
    m_dpi = dpi;
    LoadStatusIcons();
    PostMessageW(m_hWnd, kRelayout, 0, 0); // after the dialog manager's own layout
}

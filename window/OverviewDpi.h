// The overview sharp on every monitor: per-monitor aware (v2) on its thread,
// where the system knows it (Windows 10 1703 on), while the popup and the
// sheet it opens keep the process's system-wide awareness and their looks.
#pragma once

#include <windows.h>

// The thread's DPI awareness for the scope; nothing where the system lacks it.
class ScopedThreadDpi {
  public:
    explicit ScopedThreadDpi(DPI_AWARENESS_CONTEXT context);
    ScopedThreadDpi(const ScopedThreadDpi&) = delete;
    ScopedThreadDpi& operator=(const ScopedThreadDpi&) = delete;
    ~ScopedThreadDpi();

  private:
    DPI_AWARENESS_CONTEXT m_previous = nullptr;
};

// The window's DPI, as its monitor has it; the system's where not known.
UINT DpiOf(HWND window);
// A system metric at that DPI.
int MetricForDpi(int index, UINT dpi);

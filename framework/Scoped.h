// Small owners for Win32 handles: each releases its handle exactly once.
#pragma once

#include <windows.h>

template <class Handle, class Traits> class ScopedHandle {
  public:
    explicit ScopedHandle(Handle handle = Traits::Invalid()) : m_handle(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    operator Handle() const { return m_handle; }
    bool IsValid() const { return m_handle != Traits::Invalid(); }
    Handle Release() {
        Handle handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }
    void Reset(Handle handle = Traits::Invalid()) {
        if (m_handle != Traits::Invalid())
            Traits::Close(m_handle);
        m_handle = handle;
    }

  private:
    Handle m_handle;
};

// Handles whose failure value is null, closed by one call.
template <class Handle, class Result, Result(WINAPI* close)(Handle)> struct CloseWith {
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { close(h); }
};
// CreateFile's failure value is INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};

using ScopedIcon = ScopedHandle<HICON, CloseWith<HICON, BOOL, DestroyIcon>>;
using ScopedGdiObject = ScopedHandle<HGDIOBJ, CloseWith<HGDIOBJ, BOOL, DeleteObject>>;
using ScopedKernelHandle = ScopedHandle<HANDLE, CloseWith<HANDLE, BOOL, CloseHandle>>;
using ScopedFile = ScopedHandle<HANDLE, FileTraits>;
using ScopedLocalMemory = ScopedHandle<HLOCAL, CloseWith<HLOCAL, HLOCAL, LocalFree>>;
using ScopedHook = ScopedHandle<HHOOK, CloseWith<HHOOK, BOOL, UnhookWindowsHookEx>>;

// A device context from GetDC, given back to its window.
// Holds a critical section for the scope.
class ScopedLock {
  public:
    explicit ScopedLock(CRITICAL_SECTION& lock) : m_lock(lock) { EnterCriticalSection(&m_lock); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;
    ~ScopedLock() { LeaveCriticalSection(&m_lock); }

  private:
    CRITICAL_SECTION& m_lock;
};

class ScopedGetDC {
  public:
    explicit ScopedGetDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    operator HDC() const { return m_dc; }

  private:
    HWND m_window;
    HDC m_dc;
};

// An object selected into a DC, with the previous one put back.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (m_previous && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
    }

  private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

class ScopedPaint {
  public:
    explicit ScopedPaint(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ~ScopedPaint() { EndPaint(m_window, &m_paint); }
    operator HDC() const { return m_dc; }

  private:
    HWND m_window;
    PAINTSTRUCT m_paint;
    HDC m_dc;
};

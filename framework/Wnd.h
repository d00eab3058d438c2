// Windows as objects: CWnd wraps a window handle; controls bound with
// DDX_Control and every open dialog are found again from their handles.
#pragma once

#include "MessageMap.h"
#include "String.h"

class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND window);
    void Detach();

    // The object bound to a handle, or a temporary one that lives until the
    // outermost modal loop ends.
    static CWnd* FromHandle(HWND window);
    static void DeleteTempMap();

    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL RedrawWindow(UINT flags) const { return ::RedrawWindow(m_hWnd, nullptr, nullptr, flags); }

    HWND m_hWnd = nullptr;

  protected:
    DECLARE_MESSAGE_MAP()

    // Looks the message up in the message maps; true when a handler ran.
    bool DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The platform's default handling of the message being dispatched.
    LRESULT Default();

    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

  private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current = {};
    CWnd* m_nextBound = nullptr;
    bool m_temporary = false;
};

class CStatic : public CWnd {
  public:
    HICON SetIcon(HICON icon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)icon); }
    HICON GetIcon() const { return (HICON)SendMessage(STM_GETICON); }
};

// A device context handed to a handler; it does not own the handle.
class CDC {
  public:
    explicit CDC(HDC dc) : m_hDC(dc) {}
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    HDC m_hDC;
};

// Windows as objects, and the message maps that bind their handlers.
#pragma once

#include "String.h"

#include <windows.h>

// A class's message map is one function, ProcessWindowMessage, written at the
// top of its .cpp between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP: each entry
// expands to one test of the message and a call of its handler, and a
// message no entry takes goes on to the base class's map. With a null
// pResult the map only tells whether it has an entry for the message.
class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Runs the handler of a command or control notification; false when
    // there is none.
    bool OnCmdMsg(UINT id, UINT code) {
        LRESULT ignored;
        return ProcessWindowMessage(WM_COMMAND, MAKEWPARAM(id, code), 0, &ignored);
    }
    bool HandlesCommand(UINT id, UINT code) {
        return ProcessWindowMessage(WM_COMMAND, MAKEWPARAM(id, code), 0, nullptr);
    }

  protected:
    virtual bool ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) { return false; }
};

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)        \
        override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    bool theClass::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,                \
                                        LRESULT* pResult) {                                        \
        typedef baseClass TheBaseClass;

#define END_MESSAGE_MAP()                                                                          \
    return TheBaseClass::ProcessWindowMessage(message, wParam, lParam, pResult);                   \
    }

// One entry: when the condition holds, run sets *pResult (unless only asked).
#define AFX_MSG_ENTRY(condition, run)                                                              \
    if (condition) {                                                                               \
        if (pResult) {                                                                             \
            run;                                                                                   \
        }                                                                                          \
        return true;                                                                               \
    }

#define ON_WM_PAINT() AFX_MSG_ENTRY(message == WM_PAINT, OnPaint(); *pResult = 0)
#define ON_WM_QUERYDRAGICON()                                                                      \
    AFX_MSG_ENTRY(message == WM_QUERYDRAGICON, *pResult = (LRESULT)OnQueryDragIcon())
#define ON_WM_SETCURSOR()                                                                          \
    AFX_MSG_ENTRY(message == WM_SETCURSOR, *pResult = OnSetCursor(CWnd::FromHandle((HWND)wParam),  \
                                                                  LOWORD(lParam), HIWORD(lParam)))
// Every WM_CTLCOLOR* message; the handler gets the kind as nCtlColor.
#define ON_WM_CTLCOLOR()                                                                           \
    AFX_MSG_ENTRY(                                                                                 \
        message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC, CDC dc((HDC)wParam);         \
        *pResult =                                                                                 \
            (LRESULT)OnCtlColor(&dc, CWnd::FromHandle((HWND)lParam), message - WM_CTLCOLORMSGBOX))
// A command entry matches the notification code as well as the id, so an
// edit's change notification never counts as a click.
#define ON_CONTROL(code, id, member)                                                               \
    AFX_MSG_ENTRY(message == WM_COMMAND && HIWORD(wParam) == (code) && LOWORD(wParam) == (id),     \
                  member();                                                                        \
                  *pResult = 0)
#define ON_BN_CLICKED(id, member) ON_CONTROL(BN_CLICKED, id, member)
#define ON_STN_CLICKED(id, member) ON_CONTROL(STN_CLICKED, id, member)
#define ON_COMMAND(id, member) ON_CONTROL(0, id, member)

class CDC;

// A window handle; controls bound with DDX_Control and every open dialog
// are found again from their handles.
class CWnd : public CCmdTarget {
  public:
    CWnd() = default;
    ~CWnd() override;

    void Attach(HWND window);
    void Detach();

    // The object bound to the handle; null for a window no object holds.
    static CWnd* FromHandle(HWND window);

    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    CString GetWindowText() const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL RedrawWindow(UINT flags) const { return ::RedrawWindow(m_hWnd, nullptr, nullptr, flags); }

    HWND m_hWnd = nullptr;

  protected:
    // The platform's default handling of the message being handled.
    LRESULT Default() {
        return DefWindowProcA(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
    }

    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    HBRUSH OnCtlColor(CDC*, CWnd*, UINT) { return (HBRUSH)Default(); }

    // The message being handled, for Default(); handlers run nested
    // messages, so each dispatch keeps the outer one and puts it back.
    MSG m_current = {};

  private:
    CWnd* m_nextBound = nullptr;
};

class CStatic : public CWnd {
  public:
    HICON SetIcon(HICON icon) { return (HICON)SendMessage(STM_SETICON, (WPARAM)icon); }
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

// The application object: one global instance whose InitInstance does the
// program's work.
#pragma once

#include "Wnd.h"

#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
  public:
    // A null name makes the title the executable's base name.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // The process's exit code: what InitInstance left in m_nExitCode.
    virtual int ExitInstance() { return m_nExitCode; }

    // The help command's handler: there is no help file, so it shows
    // m_pszHelpText in a box.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
    const char* m_pszAppName = nullptr;
    const char* m_pszHelpText = "";

  private:
    CString m_strTitle;
    friend int AfxWinMain();
};

CWinApp* AfxGetApp();
const char* AfxGetAppName();
HINSTANCE AfxGetResourceHandle();

// The full path of the running executable, whatever its length.
CString AfxGetModulePath();

// A modal box owned by the main window, captioned with the application
// title; the exclamation icon unless the type names another.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

// The window that owns a new dialog or message box when none is named: the
// application's main window, as the framework does.
HWND AfxGetSafeOwner(CWnd* parent);

int AfxWinMain();

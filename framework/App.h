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

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The help command's handler: there is no help file, so it shows a short
    // text of its own.
    void OnHelp();

    CWnd* m_pMainWnd = nullptr;
    const char* m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;

  protected:
    DECLARE_MESSAGE_MAP()

  private:
    CString m_title;
    friend int AfxWinMain(HINSTANCE instance);
};

CWinApp* AfxGetApp();
const char* AfxGetAppName();
HINSTANCE AfxGetResourceHandle();

// The full path of the running executable, whatever its length.
CString AfxGetModulePath();

int AfxWinMain(HINSTANCE instance);

#include "App.h"

#include "MessageBox.h"
#include "../app/TextRules.h"

namespace {
CWinApp* g_app = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::OnHelp() {
    AfxMessageBox("Vorelkin: フォルダにアイコンと説明を付けます。\r\n"
                  "フォルダを右クリックして「送る」から起動し、一覧から種類を選んでください。\r\n"
                  "設定は実行ファイルと同じフォルダの vrkcfg.ini にあります。",
                  MB_OK | MB_ICONINFORMATION);
}

CWinApp* AfxGetApp() {
    return g_app;
}

const char* AfxGetAppName() {
    return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : "";
}

HINSTANCE AfxGetResourceHandle() {
    return GetModuleHandleA(nullptr);
}

CString AfxGetModulePath() {
    CString path;
    for (int size = 256;; size *= 2) {
        char* buffer = path.GetBuffer(size);
        DWORD length = GetModuleFileNameA(nullptr, buffer, (DWORD)size);
        // A full buffer means the path was cut: try again with more room.
        if (length < (DWORD)size || size >= 1 << 20) {
            path.ReleaseBuffer((int)length);
            return path;
        }
    }
}

int AfxWinMain(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = instance;
    if (!app->m_pszAppName) {
        // The title is the executable's base name without its extension.
        CString path = AfxGetModulePath();
        CString name = path.Mid(FindLastBackslash(path) + 1);
        int dot = -1;
        for (int i = 0; i < name.GetLength(); ++i) {
            if (name[i] == '.')
                dot = i;
        }
        app->m_title = dot > 0 ? name.Left(dot) : name;
        app->m_pszAppName = app->m_title;
    }
    // No message loop of our own either way: the dialogs run theirs.
    app->InitInstance();
    return app->ExitInstance();
}

#include "App.h"

namespace {
CWinApp* g_app = nullptr;

// The executable's base name without its extension.
CString TitleOf(const CString& path) {
    const char* name = path;
    const char* dot = nullptr;
    for (const char* at = name; *at; at = CharNextA(at)) {
        if (*at == '\\')
            name = at + 1;
        else if (*at == '.')
            dot = at;
    }
    return dot > name ? CString(name, (int)(dot - name)) : CString(name);
}
} // namespace

CWinApp::CWinApp(const char* appName) : m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

void CWinApp::OnHelp() {
    AfxMessageBox(m_pszHelpText, MB_OK | MB_ICONINFORMATION);
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

int AfxMessageBox(const char* text, UINT type, UINT) {
    if ((type & MB_ICONMASK) == 0)
        type |= MB_ICONEXCLAMATION;
    return MessageBoxA(AfxGetSafeOwner(nullptr), text, AfxGetAppName(), type);
}

HWND AfxGetSafeOwner(CWnd* parent) {
    if (parent && parent->m_hWnd)
        return parent->m_hWnd;
    if (!g_app || !g_app->m_pMainWnd || !g_app->m_pMainWnd->m_hWnd)
        return nullptr;
    return GetLastActivePopup(g_app->m_pMainWnd->m_hWnd);
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    if (!app->m_pszAppName) {
        app->m_strTitle = TitleOf(AfxGetModulePath());
        app->m_pszAppName = app->m_strTitle;
    }
    // No message loop of our own either way: the dialogs run theirs.
    app->InitInstance();
    return app->ExitInstance();
}

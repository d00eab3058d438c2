#include "OverviewWindow.h"

#include "OverviewDlg.h"
#include "OverviewDpi.h"
#include "../base/SettingsFile.h"
#include "../base/Settings.h"
#include "../framework/App.h"
#include "../framework/LateBound.h"

#include <shobjidl.h>

namespace {
// The system's folder picker; false when the user cancelled it. COM's
// library is loaded now, not at the program's start.
bool PickFolder(WideText& folder) {
    auto initialize = LATE_BOUND(L"ole32.dll", CoInitializeEx);
    auto create = LATE_BOUND(L"ole32.dll", CoCreateInstance);
    auto freeMemory = LATE_BOUND(L"ole32.dll", CoTaskMemFree);
    auto uninitialize = LATE_BOUND(L"ole32.dll", CoUninitialize);
    if (!initialize || !create || !freeMemory || !uninitialize)
        return false;
    HRESULT com = initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    bool picked = false;
    IFileOpenDialog* dialog = nullptr;
    if (SUCCEEDED(create(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                         (void**)&dialog))) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
        dialog->SetTitle(L"状態の一覧: 調べるフォルダを選んでください");
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->Show(nullptr)) && SUCCEEDED(dialog->GetResult(&item))) {
            wchar_t* path = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                folder = WideText(path);
                picked = true;
                freeMemory(path);
            }
            item->Release();
        }
        dialog->Release();
    }
    if (SUCCEEDED(com))
        uninitialize();
    return picked;
}
} // namespace

int RunOverviewWindow(const wchar_t* folder) {
    WideText picked;
    if (!folder || !*folder) {
        if (!PickFolder(picked))
            return 0;
        folder = picked;
    }
    DWORD attributes = GetFileAttributesW(ExtendedFolderPathOf(folder));
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        WideText text(L"フォルダが見つからないか、フォルダではありません:\r\n");
        text += folder;
        WideMessageBox(text);
        return kListNoFolder;
    }
    LoadListSettings();
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    // The window's thread only: the process's manifest keeps the popup's looks.
    ScopedThreadDpi perMonitor(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    COverviewDlg window(folder);
    CWinApp* app = AfxGetApp();
    if (app) // boxes and the popup open over the window
        app->m_pMainWnd = &window;
    if (!window.Create()) {
        if (app)
            app->m_pMainWnd = nullptr;
        AfxMessageBox("状態の一覧を開けませんでした。");
        return 1;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.PreTranslateMessage(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A scan's thread may still wait on a share that stopped answering: it
    // must neither keep the process nor meet the statics' destructors on
    // the way out. ExitProcess ends every other thread first ("ExitProcess
    // function"); the system cancels the call it waits in.
    ExitProcess(0);
}

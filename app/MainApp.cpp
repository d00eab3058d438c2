#include "MainApp.h"

#include "FolderCollector.h"
#include "ListCommand.h"
#include "../base/OsVersion.h"
#include "ScriptCommands.h"
#include "../base/Settings.h"
#include "../base/SettingsFile.h"
#include "../window/OverviewWindow.h"
#include "../popup/SelectDlg.h"

BEGIN_MESSAGE_MAP(CMainApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CMainApp::CMainApp() {
    m_pszHelpText = "Vorelkin: フォルダにアイコンと説明を付けます。\r\n"
                    "フォルダを右クリックして「送る」から起動し、一覧から種類を選んでください。\r\n"
                    "設定は実行ファイルと同じフォルダの vrkcfg.ini にあります。";
}

BOOL CMainApp::InitInstance() {
    // A script's command: no window.
    if (RunScriptCommand(GetCommandLineW(), false, m_nExitCode))
        return FALSE;
    // The overview, not the popup.
    WideText overviewFolder;
    switch (RunListCommand(GetCommandLineW(), m_nExitCode, overviewFolder)) {
    case ListMode::kExported:
        return FALSE;
    case ListMode::kWindow:
        m_nExitCode = RunOverviewWindow(overviewFolder);
        return FALSE;
    case ListMode::kNone:
        break;
    }
    // Read in UTF-16: CP932 cannot spell every folder's name.
    TargetFolders arguments;
    if (AddFolderArguments(GetCommandLineW(), arguments) && !arguments.Count())
        return FALSE; // its refusal box said why: no popup without a folder
    FolderCollector collector;
    if (arguments.Count() && collector.HandOverOrCollect(arguments, g_targetFolders))
        return FALSE; // another launch marks them, or the user was told it may
    for (int i = 0; i < arguments.Count(); ++i)
        g_targetFolders.AddSpelled(arguments.Name(i), arguments.Path(i));
    g_strTargetFolder = g_targetFolders.Count() ? g_targetFolders.Path(0) : CString();

    int osVersion = GetOSVersion();
    SettingsAsRead read = LoadSettings(ExecutablePath(), osVersion);

    CSelectDlg chooser(nullptr);
    m_pMainWnd = &chooser;
    chooser.DoModal();
    m_pMainWnd = nullptr; // also when the window never opened

    SaveSettings(read);
    return FALSE;
}

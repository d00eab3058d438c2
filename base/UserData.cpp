#include "UserData.h"

#include <shlobj.h>

WideText UserDataFolder() {
    wchar_t folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"VORELKIN_DATA", folder, MAX_PATH);
    if (length && length < MAX_PATH)
        return wcscmp(folder, L"off") == 0 ? WideText() : WideText(folder);
    // SHGetFolderPathW answers from SHGetKnownFolderPath(FOLDERID_LocalAppData)
    // ("SHGetFolderPathW function") without the COM allocator.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return WideText(L"?");
    WideText path(folder);
    path += L"\\Vorelkin";
    return path;
}

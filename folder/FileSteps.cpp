#include "FileSteps.h"

#include "../framework/Scoped.h"
#include "../app/WideText.h"

#include <stdio.h>

namespace {
const DWORD kRefusingBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;

bool SameFile(const char* first, const char* second) {
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    ScopedFile a(CreateFileA(first, 0, share, nullptr, OPEN_EXISTING, 0, nullptr));
    ScopedFile b(CreateFileA(second, 0, share, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!a.IsValid() || !b.IsValid())
        return false;
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!GetFileInformationByHandle(a, &infoA) || !GetFileInformationByHandle(b, &infoB))
        return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}
} // namespace

namespace {
// One read of the attributes: the bit is added to what is there, and a
// folder step refuses a path that names a file.
bool AddBit(const char* path, DWORD bit, bool folderOnly) {
    WideText wide(path);
    DWORD attributes = GetFileAttributesW(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (folderOnly && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return SetFileAttributesW(wide, attributes | bit) != FALSE;
}
} // namespace

bool AddAttribute(const char* path, DWORD bit) {
    return AddBit(path, bit, false);
}

bool AddFolderAttribute(const char* path, DWORD bit) {
    return AddBit(path, bit, true);
}

bool CopyIconFile(const char* iconPath, const char* destination, bool& copied) {
    copied = false;
    // Copying a file onto itself fails (sharing violation); the copy is there.
    if (SameFile(iconPath, destination))
        return true;
    // Windows refuses to overwrite a hidden or read-only file; an earlier
    // copy is hidden.
    DWORD previous = GetFileAttributesA(destination);
    bool cleared = previous != INVALID_FILE_ATTRIBUTES && (previous & kRefusingBits) &&
                   SetFileAttributesA(destination, previous & ~kRefusingBits);
    if (!CopyFileA(iconPath, destination, FALSE)) {
        if (cleared)
            SetFileAttributesA(destination, previous);
        return false;
    }
    copied = true;
    return true;
}

CString SystemErrorText(DWORD error) {
    char* text = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_FROM_SYSTEM,
                                  nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<char*>(&text), 0, nullptr);
    ScopedLocalMemory owner(text);
    if (length == 0) {
        char number[16];
        snprintf(number, sizeof(number), "%lu", (unsigned long)error);
        return number;
    }
    return CString(text, (int)length);
}

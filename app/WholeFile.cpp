#include "WholeFile.h"

#include "../framework/Scoped.h"

namespace {
// An antivirus scanner or the shell's own reader holds a file for moments.
const DWORD kBusyRetryMs = 1000;

bool IsBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Errors of a volume or an old file that ReplaceFileW cannot handle.
bool ReplaceCannotWork(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_INVALID_PARAMETER ||
           error == ERROR_CALL_NOT_IMPLEMENTED;
}

bool MoveOver(const wchar_t* tempPath, const wchar_t* path) {
    return MoveFileExW(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Swap(const wchar_t* tempPath, const wchar_t* path, bool oldFile) {
    if (!oldFile)
        return MoveOver(tempPath, path);
    if (ReplaceFileW(path, tempPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    DWORD error = GetLastError();
    // With these two the old file has left its name already and the new one
    // still waits under its own: it takes the name.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 ||
        ReplaceCannotWork(error))
        return MoveOver(tempPath, path);
    SetLastError(error);
    return false;
}
} // namespace

HANDLE CreateTempBeside(const wchar_t* path, WideText& temp) {
    static LONG counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".%lx-%lx.vrktmp", GetCurrentProcessId(),
                  (unsigned long)InterlockedIncrement(&counter));
        temp = WideText(path);
        temp += suffix;
        HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool SwapIn(HANDLE temp, const wchar_t* tempPath, const wchar_t* path) {
    bool flushed = FlushFileBuffers(temp) != FALSE;
    DWORD error = GetLastError();
    CloseHandle(temp);
    const DWORD previous = GetFileAttributesW(path);
    const bool oldFile = previous != INVALID_FILE_ATTRIBUTES;
    bool swapped = false;
    if (flushed) {
        // Windows refuses to replace a read-only file (Wine's MoveFileExW does
        // not); the bit comes back below.
        if (oldFile && (previous & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(path, previous & ~FILE_ATTRIBUTE_READONLY);
        DWORD start = GetTickCount();
        while (!(swapped = Swap(tempPath, path, oldFile)) && IsBusy(GetLastError()) &&
               GetTickCount() - start < kBusyRetryMs)
            Sleep(50);
        error = GetLastError();
    }
    // Where the old file has left its name and the new one could not take it
    // (ReplaceFileW's ERROR_UNABLE_TO_MOVE_REPLACEMENT, then a scanner holding
    // the new file), the new one is all there is: it stays, under its own name.
    const bool onlyCopy = oldFile && GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES;
    if (!swapped && !onlyCopy)
        DeleteFileW(tempPath);
    // Wine's ReplaceFileW drops the old file's attributes.
    if (oldFile && GetFileAttributesW(path) != previous)
        SetFileAttributesW(path, previous);
    SetLastError(swapped ? NO_ERROR : error);
    return swapped;
}

bool WriteWholeFile(const wchar_t* path, const CString& bytes) {
    WideText tempPath;
    HANDLE temp = CreateTempBeside(path, tempPath);
    if (temp == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    if (!WriteFile(temp, bytes, (DWORD)bytes.GetLength(), &written, nullptr) ||
        written != (DWORD)bytes.GetLength()) {
        DWORD error = written != (DWORD)bytes.GetLength() && GetLastError() == NO_ERROR
                          ? ERROR_DISK_FULL
                          : GetLastError();
        CloseHandle(temp);
        DeleteFileW(tempPath);
        SetLastError(error);
        return false;
    }
    return SwapIn(temp, tempPath, path);
}

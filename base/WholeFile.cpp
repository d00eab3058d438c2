#include "WholeFile.h"

#include "../framework/Scoped.h"

#include <memory>
#include <stdlib.h>
#include <wchar.h>

namespace {
// An antivirus scanner or the shell's own reader holds a file for moments.
const DWORD kBusyRetryMs = 1000;
const wchar_t kTempEnding[] = L".vrktmp";
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

// The process whose id a leftover's name holds may still be writing it; an
// id no process has any more, or one that has ended, leaves it to nobody.
bool ProcessRuns(DWORD id) {
    ScopedKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process.IsValid())
        return GetLastError() != ERROR_INVALID_PARAMETER; // another user's, say
    // Signalled once it has ended, while a handle keeps its id taken.
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

// The id in "<name>.<id>-<count>.vrktmp", both in hexadecimal; false for
// any other name.
bool WriterOf(const wchar_t* name, DWORD& id) {
    const size_t length = wcslen(name), ending = wcslen(kTempEnding);
    if (length <= ending || _wcsicmp(name + length - ending, kTempEnding) != 0)
        return false;
    const wchar_t* dot = name + length - ending;
    while (dot > name && dot[-1] != L'.')
        --dot;
    wchar_t* end = nullptr;
    const unsigned long value = wcstoul(dot, &end, 16);
    if (dot == name || end == dot || *end != L'-')
        return false;
    id = (DWORD)value;
    return true;
}

// A crash, a kill or a power cut leaves a temporary file behind: the next
// write in the folder removes the hidden ones of processes that no longer
// run.
void RemoveLeftovers(const wchar_t* folder) {
    WideText pattern(folder);
    pattern += L"\\*";
    pattern += kTempEnding;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        DWORD id = 0;
        // One no longer hidden holds the only copy of a write (SwapIn) and
        // stays for the user.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !(found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) || !WriterOf(found.cFileName, id) ||
            id == GetCurrentProcessId() || ProcessRuns(id))
            continue;
        WideText leftover(folder);
        leftover += L"\\";
        leftover += found.cFileName;
        DeleteFileW(leftover);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The file's bytes written over the path's in place, for a folder whose
// rights refuse the swap.
bool WriteInPlace(HANDLE from, const wchar_t* path) {
    ScopedFile to(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!to.IsValid() || SetFilePointer(from, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return false;
    return CopyFileBytes(from, to) && SetEndOfFile(to) && FlushFileBuffers(to);
}

// Whether the temporary file could be renamed by its name: where the
// folder grants "Write" without "Modify", only our own handle may delete it.
bool MayRenameByName(const wchar_t* tempPath) {
    ScopedFile probe(CreateFileW(tempPath, DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return probe.IsValid() || GetLastError() != ERROR_ACCESS_DENIED;
}

bool RetryWhileBusy(const wchar_t* tempPath, const wchar_t* path, bool oldFile, bool anyError) {
    const DWORD start = GetTickCount();
    bool swapped;
    while (!(swapped = Swap(tempPath, path, oldFile)) && (anyError || IsBusy(GetLastError())) &&
           GetTickCount() - start < kBusyRetryMs)
        Sleep(50);
    return swapped;
}
} // namespace

WideText ExtendedPathOf(const wchar_t* path) {
    if (!*path || wcsncmp(path, L"\\\\?\\", 4) == 0)
        return WideText(path);
    const DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
    wchar_t* full = size ? (wchar_t*)malloc(sizeof(wchar_t) * size) : nullptr;
    const DWORD length = full ? GetFullPathNameW(path, size, full, nullptr) : 0;
    WideText extended;
    if (length == 0 || length >= size || wcsncmp(full, L"\\\\.\\", 4) == 0) {
        extended = WideText(path);
    } else if (full[0] == L'\\' && full[1] == L'\\') {
        extended = WideText(L"\\\\?\\UNC\\");
        extended += full + 2;
    } else {
        extended = WideText(L"\\\\?\\");
        extended += full;
    }
    free(full);
    return extended;
}

bool CopyFileBytes(HANDLE from, HANDLE to) {
    const DWORD kPieceBytes = 64 * 1024;
    std::unique_ptr<char[]> piece(new char[kPieceBytes]);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(from, piece.get(), kPieceBytes, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        BOOL wrote = WriteFile(to, piece.get(), read, &written, nullptr);
        if (!wrote || written != read) {
            if (wrote)
                SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

bool ReadWholeFile(const wchar_t* path, CString& bytes, LONGLONG mostBytes) {
    bytes.Empty();
    ScopedFile file(CreateFileW(ExtendedPathOf(path), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file, &size))
        return false;
    if (size.QuadPart > mostBytes) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    DWORD read = 0;
    char* buffer = bytes.GetBuffer((int)size.QuadPart);
    const bool whole = ReadFile(file, buffer, (DWORD)size.QuadPart, &read, nullptr) &&
                       read == (DWORD)size.QuadPart;
    bytes.ReleaseBuffer(whole ? (int)read : 0);
    return whole;
}

HANDLE CreateTempBeside(const wchar_t* path, WideText& temp) {
    static LONG counter = 0;
    const WideText target = ExtendedPathOf(path);
    const wchar_t* backslash = wcsrchr(target, L'\\');
    if (backslash) {
        wchar_t* folder = _wcsdup(target);
        if (!folder)
            abort();
        folder[backslash - target] = L'\0';
        RemoveLeftovers(folder);
        free(folder);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".%lx-%lx%s", GetCurrentProcessId(),
                  (unsigned long)InterlockedIncrement(&counter), kTempEnding);
        temp = target;
        temp += suffix;
        // Shared for deleting only, so that MayRenameByName can ask.
        HANDLE file =
            CreateFileW(temp, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

void DiscardTemp(HANDLE temp) {
    DWORD error = GetLastError(); // callers report the failure's code
    FILE_DISPOSITION_INFO dispose = {TRUE};
    SetFileInformationByHandle(temp, FileDispositionInfo, &dispose, sizeof(dispose));
    CloseHandle(temp);
    SetLastError(error);
}

bool SwapIn(HANDLE temp, const wchar_t* tempPath, const wchar_t* path, WideText* stranded) {
    const WideText target = ExtendedPathOf(path);
    // Windows keeps the Temporary bit on the file swapped in, and its cache
    // may hold such a file's bytes back (CreateFileW); Wine drops the bit.
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN;
    SetFileInformationByHandle(temp, FileBasicInfo, &basic, sizeof(basic));
    bool flushed = FlushFileBuffers(temp) != FALSE;
    DWORD error = GetLastError();
    const DWORD previous = GetFileAttributesW(target);
    const bool oldFile = previous != INVALID_FILE_ATTRIBUTES;
    // Windows refuses to replace a read-only file (Wine's MoveFileExW does
    // not); the bit comes back below.
    if (flushed && oldFile && (previous & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target, previous & ~FILE_ATTRIBUTE_READONLY);
    bool swapped = false, onlyCopy = false;
    if (!flushed || !MayRenameByName(tempPath)) {
        // ReplaceFileW and MoveFileExW would fail with ERROR_ACCESS_DENIED.
        swapped = flushed && WriteInPlace(temp, target);
        error = flushed ? GetLastError() : error;
        DiscardTemp(temp);
    } else {
        CloseHandle(temp); // ReplaceFileW opens it without sharing
        swapped = RetryWhileBusy(tempPath, target, oldFile, false);
        error = GetLastError();
        // Where the old file has left its name (ReplaceFileW's
        // ERROR_UNABLE_TO_MOVE_REPLACEMENT) and the new one, the only copy
        // now, could not take it, it tries again, whatever held it.
        onlyCopy = !swapped && oldFile && GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES;
        if (onlyCopy && (swapped = RetryWhileBusy(tempPath, target, false, true)))
            onlyCopy = false;
        if (!swapped && !onlyCopy && error == ERROR_ACCESS_DENIED) {
            // The old file's rights refuse its deletion: written in place.
            ScopedFile reopened(CreateFileW(tempPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
            swapped = reopened.IsValid() && WriteInPlace(reopened, target);
            error = swapped ? NO_ERROR : GetLastError();
        }
        if (!onlyCopy)
            DeleteFileW(tempPath);
    }
    if (onlyCopy) {
        SetFileAttributesW(tempPath, FILE_ATTRIBUTE_NORMAL); // for the user to find
        if (stranded)
            *stranded = WideText(tempPath);
    }
    // Wine's ReplaceFileW drops the old file's attributes; a new file loses
    // the temporary file's Hidden bit.
    const DWORD now = GetFileAttributesW(target);
    if (oldFile && now != previous)
        SetFileAttributesW(target, previous);
    else if (!oldFile && swapped && now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_HIDDEN))
        SetFileAttributesW(target, now & ~FILE_ATTRIBUTE_HIDDEN);
    SetLastError(swapped ? NO_ERROR : error);
    return swapped;
}

bool WriteWholeFile(const wchar_t* path, const CString& bytes, WideText* stranded) {
    WideText tempPath;
    HANDLE temp = CreateTempBeside(path, tempPath);
    if (temp == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    if (!WriteFile(temp, bytes, (DWORD)bytes.GetLength(), &written, nullptr) ||
        written != (DWORD)bytes.GetLength()) {
        SetLastError(written != (DWORD)bytes.GetLength() && GetLastError() == NO_ERROR
                         ? ERROR_DISK_FULL
                         : GetLastError());
        DiscardTemp(temp);
        return false;
    }
    return SwapIn(temp, tempPath, path, stranded);
}

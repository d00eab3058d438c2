// The export: the marks as tab-separated UTF-8 lines, written whole or not
// at all.
#include "FolderMarks.h"

#include "../framework/Scoped.h"

#include <stdlib.h>
#include <string.h>

namespace {
// A field never breaks its line or its column.
void AppendField(CString& out, const wchar_t* text) {
    size_t length = wcslen(text);
    wchar_t* copy = (wchar_t*)malloc(sizeof(wchar_t) * (length + 1));
    if (!copy)
        abort();
    for (size_t i = 0; i <= length; ++i)
        copy[i] = text[i] == L'\t' || text[i] == L'\r' || text[i] == L'\n' ? L' ' : text[i];
    out += Utf8Of(copy);
    free(copy);
}

void AppendTime(CString& out, const FILETIME& written) {
    SYSTEMTIME utc = {}, local = {};
    // The zone's rule for that date, as Explorer shows it, not today's offset.
    if (!FileTimeToSystemTime(&written, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return;
    char text[32];
    wsprintfA(text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay,
              local.wHour, local.wMinute, local.wSecond);
    out += text;
}

int CompareFolders(const void* left, const void* right) {
    const FolderMark* a = *(const FolderMark* const*)left;
    const FolderMark* b = *(const FolderMark* const*)right;
    return CompareStringOrdinal(a->folder, -1, b->folder, -1, TRUE) - CSTR_EQUAL;
}

bool WriteAll(HANDLE file, const CString& bytes) {
    DWORD written = 0;
    return WriteFile(file, bytes, (DWORD)bytes.GetLength(), &written, nullptr) &&
           written == (DWORD)bytes.GetLength() && FlushFileBuffers(file);
}
} // namespace

CString MarksAsText(const FolderMark* const* marks, int count) {
    CString text("\xEF\xBB\xBF");
    text += Utf8Of(L"状態\tフォルダ\t説明\t更新日時\r\n");
    for (int i = 0; i < count; ++i) {
        const FolderMark& mark = *marks[i];
        text += Utf8Of(StatusWideName(mark.status));
        text += '\t';
        AppendField(text, mark.folder);
        text += '\t';
        AppendField(text, mark.description);
        text += '\t';
        AppendTime(text, mark.written);
        text += "\r\n";
    }
    return text;
}

void SortMarksByFolder(const FolderMark** marks, int count) {
    qsort(marks, (size_t)count, sizeof(*marks), CompareFolders);
}

bool WriteMarksFile(const wchar_t* path, const FolderMark* const* marks, int count) {
    WideText target = ExtendedFolderPathOf(path);
    if (!*(const wchar_t*)target)
        return false;
    // Windows refuses to rename over a read-only file; Wine does not.
    DWORD attributes = GetFileAttributesW(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const CString bytes = MarksAsText(marks, count);
    wchar_t suffix[32];
    wsprintfW(suffix, L".%lu.tmp", GetCurrentProcessId());
    WideText temporary(target);
    temporary += suffix;
    ScopedFile file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return false;
    bool written = WriteAll(file, bytes);
    file.Reset();
    if (written &&
        MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DWORD error = GetLastError();
    DeleteFileW(temporary);
    SetLastError(error);
    return false;
}

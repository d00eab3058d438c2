#include "ScriptOutput.h"

#include "../framework/Scoped.h"

#include <stdlib.h>
#include <wchar.h>

const wchar_t kNoFolderText[] = L"フォルダが見つからないか、フォルダではありません: ";

namespace {
// A long text in one call may exceed what the console can take at once
// ("WriteConsole function": ERROR_NOT_ENOUGH_MEMORY).
const int kConsoleChunk = 8192;

void WriteConsoleText(HANDLE console, const wchar_t* text, int length) {
    for (int at = 0; at < length; at += kConsoleChunk) {
        DWORD written = 0;
        int size = length - at < kConsoleChunk ? length - at : kConsoleChunk;
        WriteConsoleW(console, text + at, (DWORD)size, &written, nullptr);
    }
}

// WriteConsoleW for a console, UTF-8 bytes for a file or a pipe:
// "WriteConsole function" fails on a redirected handle, and GetConsoleMode
// tells which it is.
void Write(DWORD which, const wchar_t* text) {
    const int length = (int)wcslen(text);
    DWORD mode = 0, written = 0;
    HANDLE inherited = GetStdHandle(which);
    const bool handed = inherited && inherited != INVALID_HANDLE_VALUE;
    if (handed && GetConsoleMode(inherited, &mode)) { // Wine hands its console to a GUI program
        WriteConsoleText(inherited, text, length);
        return;
    }
    if (handed && GetFileType(inherited) != FILE_TYPE_UNKNOWN) {
        CString utf8 = Utf8Of(text, length);
        WriteFile(inherited, utf8, (DWORD)utf8.GetLength(), &written, nullptr);
        return;
    }
    // Windows starts a GUI program without a console: it borrows its starter's.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    ScopedFile console(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (console.IsValid())
        WriteConsoleText(console, text, length);
    FreeConsole();
}

// Every line break but the last becomes a blank.
void Flatten(wchar_t* text) {
    for (wchar_t* at = text; at[0] && at[1] && at[2]; ++at) {
        if (*at == L'\r' || *at == L'\n')
            *at = L' ';
    }
}
} // namespace

void PrintResult(const wchar_t* text) {
    Write(STD_OUTPUT_HANDLE, text);
}

void Tell(const wchar_t* what, const wchar_t* name, DWORD error) {
    WideText line(L"Vorelkin: ");
    line += what;
    line += name;
    wchar_t* system = nullptr;
    if (error != NO_ERROR &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, (wchar_t*)&system, 0, nullptr)) {
        // The system's text ends in a line break.
        for (size_t end = wcslen(system); end && wcschr(L"\r\n ", system[end - 1]);)
            system[--end] = L'\0';
        line += L" (";
        line += system;
        line += L")";
        LocalFree(system);
    }
    line += L"\r\n";
    wchar_t* flat = wcsdup(line);
    if (!flat)
        abort();
    Flatten(flat);
    Write(STD_ERROR_HANDLE, flat);
    free(flat);
}

#include "ListCommand.h"

#include "CommandWords.h"
#include "SettingsFile.h"
#include "OsVersion.h"
#include "Settings.h"
#include "TargetFolders.h"

#include "../framework/Scoped.h"
#include "../overview/FolderMarks.h"

#include <stdlib.h>

namespace {
const int kMaxArguments = 6; // the program, /list, folder, /export, file, one more

// The first words of the command line, split as the folder arguments are.
class Arguments {
  public:
    explicit Arguments(const wchar_t* commandLine) {
        ForEachCommandWord(commandLine, [this](const wchar_t* word, int) {
            if (m_count < kMaxArguments)
                m_items[m_count++] = WideText(word);
        });
    }
    int Count() const { return m_count; }
    const wchar_t* operator[](int index) const { return index < m_count ? m_items[index] : L""; }
    bool Is(int index, const wchar_t* word) const {
        return index < m_count &&
               CompareStringOrdinal(m_items[index], -1, word, -1, TRUE) == CSTR_EQUAL;
    }

  private:
    WideText m_items[kMaxArguments];
    int m_count = 0;
};

// One line for whoever started the program from a console or with its
// error output redirected; nothing otherwise. A redirected stream gets
// UTF-8, which spells every name.
void Tell(const wchar_t* what, const wchar_t* name, DWORD error = NO_ERROR) {
    WideText line(what);
    line += name;
    wchar_t* system = nullptr;
    if (error != NO_ERROR &&
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                           FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, (wchar_t*)&system, 0, nullptr)) {
        for (wchar_t* at = system; *at; ++at) {
            if (*at == L'\r' || *at == L'\n')
                *at = L' ';
        }
        line += L" (";
        line += system;
        line += L")";
        LocalFree(system);
    }
    line += L"\r\n";
    const wchar_t* text = line;
    const int length = (int)wcslen(text);
    DWORD written = 0, mode = 0;
    HANDLE inherited = GetStdHandle(STD_ERROR_HANDLE);
    const bool handed = inherited && inherited != INVALID_HANDLE_VALUE;
    if (handed && GetConsoleMode(inherited, &mode)) { // Wine hands its console to a GUI program
        WriteConsoleW(inherited, text, (DWORD)length, &written, nullptr);
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
        WriteConsoleW(console, text, (DWORD)length, &written, nullptr);
    FreeConsole();
}

// Keeps every mark the scan reports.
class CollectedMarks : public MarkScanSink {
  public:
    CollectedMarks() = default;
    CollectedMarks(const CollectedMarks&) = delete;
    CollectedMarks& operator=(const CollectedMarks&) = delete;
    ~CollectedMarks() {
        for (int i = 0; i < m_count; ++i)
            delete m_marks[i];
        free(m_marks);
    }
    void Found(const FolderMark& mark) override {
        if (m_count == m_capacity) {
            m_capacity = m_capacity ? m_capacity * 2 : 256;
            m_marks = (const FolderMark**)realloc(m_marks, sizeof(*m_marks) * (size_t)m_capacity);
            if (!m_marks)
                abort();
        }
        m_marks[m_count++] = new FolderMark(mark);
    }
    const FolderMark** Marks() { return m_marks; }
    int Count() const { return m_count; }

  private:
    const FolderMark** m_marks = nullptr;
    int m_count = 0, m_capacity = 0;
};

int Export(const wchar_t* folder, const wchar_t* file) {
    WideText root = LongPathOf(folder);
    DWORD attributes = *(const wchar_t*)root ? GetFileAttributesW(root) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Tell(L"Vorelkin: フォルダが見つからないか、フォルダではありません: ", folder);
        return kListNoFolder;
    }
    if (!*file) {
        Tell(L"Vorelkin: /export の後に書き出すファイルの名前がありません", L"");
        return kListNotWritten;
    }
    // No box here; the statuses are matched against the defaults then, which
    // the script is told of.
    LoadSettings(ExecutablePath(false), GetOSVersion(), false);
    if (g_strIniPath.IsEmpty())
        Tell(L"Vorelkin: 実行ファイルのフォルダの名前は Shift-JIS で書けず、短い名前もないので、"
             L"既定の設定で一覧にします",
             L"");
    else if (!g_bSettingsWritable)
        Tell(L"Vorelkin: 設定ファイルを読めなかったので、既定の設定で一覧にします: ",
             WideText(g_strIniPath));
    CollectedMarks marks;
    ScanFolderMarks(root, CurrentSlotIcons(), marks);
    SortMarksByFolder(marks.Marks(), marks.Count());
    if (!WriteMarksFile(file, marks.Marks(), marks.Count())) {
        Tell(L"Vorelkin: ファイルに書き込めません: ", file, GetLastError());
        return kListNotWritten;
    }
    return kListDone;
}
} // namespace

void LoadListSettings() {
    // Read once, never written back at exit: another window may change the
    // file meanwhile.
    LoadSettings(ExecutablePath(), GetOSVersion());
}

ListMode RunListCommand(const wchar_t* commandLine, int& exitCode, WideText& windowFolder) {
    Arguments arguments(commandLine);
    if (!arguments.Is(1, L"/list"))
        return ListMode::kNone;
    if (arguments.Is(2, L"/export")) {
        Tell(L"Vorelkin: /list の後に一覧にするフォルダの名前がありません", L"");
        exitCode = kListNoFolder;
        return ListMode::kExported;
    }
    if (arguments.Is(3, L"/export")) {
        exitCode = Export(arguments[2], arguments[4]);
        return ListMode::kExported;
    }
    if (arguments.Count() <= 2)
        return ListMode::kWindow;
    WideText full = LongPathOf(arguments[2]);
    windowFolder = *(const wchar_t*)full ? ShownPathOf(full) : WideText(arguments[2]);
    return ListMode::kWindow;
}

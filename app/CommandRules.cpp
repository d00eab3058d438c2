#include "CommandRules.h"

#include "../base/CommandWords.h"
#include "../base/TargetFolders.h"

#include "../overview/FolderMarks.h"
#include "../popup/CommentDlg.h"

#include <stdlib.h>
#include <wchar.h>

namespace {
const wchar_t kHeader[] = L"状態\tフォルダ\t説明\t更新日時";

bool SameWord(const wchar_t* a, const wchar_t* b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool StartsWithNoCase(const wchar_t* text, const wchar_t* start) {
    int length = (int)wcslen(start);
    return (int)wcslen(text) >= length &&
           CompareStringOrdinal(text, length, start, length, TRUE) == CSTR_EQUAL;
}

WideText Joined(const wchar_t* first, const wchar_t* second) {
    WideText text(first);
    text += second;
    return text;
}

bool Bad(ScriptCommand& command, const wchar_t* what, const wchar_t* word = L"") {
    command.kind = CommandKind::kBad;
    command.problem = Joined(what, word);
    return false;
}

// A status as the popup's digit keys take it, or by its row's name.
int StatusOfWord(const wchar_t* word) {
    if (word[0] >= L'1' && word[0] <= L'7' && !word[1])
        return word[0] - L'0';
    return StatusOfName(word);
}

// "file[,index]": the number after the last comma, where one follows.
bool ReadIconWord(const wchar_t* word, ScriptCommand& command) {
    const wchar_t* comma = wcsrchr(word, L',');
    const wchar_t* digits = comma ? comma + 1 + (comma[1] == L'-') : nullptr;
    bool indexed = digits && *digits && wcsspn(digits, L"0123456789") == wcslen(digits);
    command.iconFile = WideText(word);
    if (indexed) {
        wchar_t* file = wcsdup(word);
        if (!file)
            abort();
        file[comma - word] = L'\0';
        command.iconFile = WideText(file);
        free(file);
        command.iconIndex = _wtoi(comma + 1);
    }
    if (!*(const wchar_t*)command.iconFile)
        return Bad(command, L"その他 の後にアイコンファイルの名前がありません");
    return true;
}

// "/desc <text>", "/desc:<text>"; true when the word at the index was one,
// which moves the index past its value.
bool ReadDescription(const WordList& words, int& index, ScriptCommand& command) {
    const wchar_t* word = words[index];
    bool spaced = SameWord(word, L"/desc");
    if (!spaced && !StartsWithNoCase(word, L"/desc:"))
        return false;
    if (command.describe)
        return Bad(command, L"/desc が二つあります");
    if (spaced && index + 1 >= words.Count())
        return Bad(command, L"/desc の後に説明がありません");
    command.describe = true;
    command.description = WideText(spaced ? words[++index] : word + 6);
    const wchar_t* text = command.description;
    if (wcspbrk(text, L"\r\n"))
        return Bad(command, L"説明は 1 行で入力してください");
    if (DescriptionBytes(text) > kMaxDescriptionBytes)
        return Bad(command, L"説明は 255 文字以内で入力してください。");
    return true;
}

// The folders from the index on, and /desc where the command takes it.
void ReadFolders(const WordList& words, int index, bool describes, ScriptCommand& command) {
    for (; index < words.Count() && command.kind != CommandKind::kBad; ++index) {
        if (describes && ReadDescription(words, index, command))
            continue;
        if (command.kind == CommandKind::kBad)
            return;
        if (words[index][0] == L'/')
            Bad(command, L"このスイッチは使えません: ", words[index]);
        else
            command.folders.Add(words[index]);
    }
    if (command.kind != CommandKind::kBad && !command.folders.Count())
        Bad(command, L"フォルダの名前がありません");
}

void ReadSet(const WordList& words, ScriptCommand& command) {
    command.status = StatusOfWord(words[2]);
    if (words.Count() < 3)
        return (void)Bad(command, L"/set の後に状態がありません");
    if (command.status < 0)
        return (void)Bad(command, L"この状態はありません: ", words[2]);
    int next = 3;
    if (command.status == kStatusOther && !ReadIconWord(words[next++], command))
        return;
    ReadFolders(words, next, true, command);
}

void ReadImport(const WordList& words, ScriptCommand& command) {
    if (words.Count() < 3 || words[2][0] == L'/')
        return (void)Bad(command, L"/import の後に読み込むファイルの名前がありません");
    command.file = WideText(words[2]);
    bool from = false, to = false;
    for (int i = 3; i < words.Count(); i += 2) {
        bool isFrom = words.Is(i, L"/from");
        if (!isFrom && !words.Is(i, L"/to"))
            return (void)Bad(command, L"このスイッチは使えません: ", words[i]);
        if (i + 1 >= words.Count() || !*words[i + 1])
            return (void)Bad(command, words[i], L" の後にフォルダの名前がありません");
        (isFrom ? command.from : command.to) = WideText(words[i + 1]);
        (isFrom ? from : to) = true;
    }
    if (from != to)
        Bad(command, L"/from と /to は二つ一緒に指定してください");
}

// /unmark's folders, and /s anywhere among them.
void ReadUnmark(const WordList& words, ScriptCommand& command) {
    for (int i = 2; i < words.Count(); ++i) {
        if (words.Is(i, L"/s"))
            command.below = true;
        else if (words[i][0] == L'/')
            return (void)Bad(command, L"このスイッチは使えません: ", words[i]);
        else
            command.folders.Add(words[i]);
    }
    if (!command.folders.Count())
        Bad(command, L"フォルダの名前がありません");
}
} // namespace

int CommandOutcome::Code() const {
    static const int kOrder[] = {kCommandBadLine, kCommandNotWritten, kCommandNoFolder,
                                 kCommandLeftAlone, kCommandNoMark};
    for (int code : kOrder) {
        if (m_noted & (1u << code))
            return code;
    }
    return kCommandDone;
}

WordList::WordList(const wchar_t* commandLine) {
    ForEachCommandWord(commandLine, [this](const wchar_t* word, int) { Add(word); });
}

bool WordList::Is(int index, const wchar_t* word) const {
    return index < Count() && SameWord(m_words[index], word);
}

void ReadScriptCommand(const wchar_t* commandLine, ScriptCommand& command) {
    WordList words(commandLine);
    const wchar_t* first = words[1];
    if (first[0] != L'/')
        return;
    if (words.Is(1, L"/help") || words.Is(1, L"/?")) {
        command.kind = CommandKind::kHelp;
    } else if (words.Is(1, L"/list")) {
        command.kind = CommandKind::kList;
    } else if (words.Is(1, L"/set")) {
        command.kind = CommandKind::kSet;
        ReadSet(words, command);
    } else if (words.Is(1, L"/get")) {
        command.kind = CommandKind::kGet;
        ReadFolders(words, 2, false, command);
    } else if (words.Is(1, L"/import")) {
        command.kind = CommandKind::kImport;
        ReadImport(words, command);
    } else if (words.Is(1, L"/undo") || words.Is(1, L"/redo")) {
        // Without folders: the last action as a whole.
        command.kind = words.Is(1, L"/undo") ? CommandKind::kUndo : CommandKind::kRedo;
        if (words.Count() > 2)
            ReadFolders(words, 2, false, command);
    } else if (words.Is(1, L"/unmark")) {
        command.kind = CommandKind::kUnmark;
        ReadUnmark(words, command);
    } else {
        Bad(command, L"このコマンドはありません: ", first);
    }
}

int StatusOfName(const wchar_t* name) {
    for (int status = 0; status < kStatusCount; ++status) {
        if (wcscmp(name, StatusWideName(status)) == 0)
            return status;
    }
    return -1;
}

const wchar_t* RefusedFolderName(const wchar_t* name) {
    auto slash = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    if (slash(name[0]) && slash(name[1]) && (name[2] == L'?' || name[2] == L'.') && slash(name[3]))
        return L"\\\\?\\ や \\\\.\\ で始まる名前は扱えません: ";
    const wchar_t* part = name[0] && name[1] == L':' ? name + 2 : name;
    for (const wchar_t* at = part;; ++at) {
        if (*at && !slash(*at)) {
            if (*at == L':')
                return L"ストリームの名前は扱えません: ";
            continue;
        }
        if (IsDeviceName(part, (int)(at - part)))
            return L"装置の名前は扱えません: ";
        if (!*at)
            return nullptr;
        part = at + 1;
    }
}

bool ExportRows::Read(const char* bytes, int length, WideText& problem) {
    if (length >= 3 && memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) {
        bytes += 3;
        length -= 3;
    }
    int units =
        length ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, nullptr, 0) : 0;
    if (length && !units) {
        problem = WideText(L"UTF-8 で書かれていません");
        return false;
    }
    wchar_t* text = (wchar_t*)calloc((size_t)units + 1, sizeof(wchar_t));
    if (!text)
        abort();
    MultiByteToWideChar(CP_UTF8, 0, bytes, length, text, units);
    bool read = true;
    int number = 0;
    for (wchar_t* line = text; read && line;) {
        wchar_t* end = wcschr(line, L'\n');
        wchar_t* next = end ? end + 1 : nullptr;
        if (!end)
            end = line + wcslen(line);
        if (end > line && end[-1] == L'\r')
            --end;
        *end = L'\0';
        if (++number == 1) {
            read = wcscmp(line, kHeader) == 0;
            if (!read)
                problem = WideText(L"1 行目が一覧の書き出しの見出しではありません");
        } else if (*line) {
            read = ReadRow(line, number, problem);
        }
        line = next;
    }
    free(text);
    return read;
}

bool ExportRows::ReadRow(const wchar_t* line, int number, WideText& problem) {
    const wchar_t* tabs[3] = {};
    const wchar_t* at = line;
    for (int i = 0; i < 3 && at; ++i)
        at = tabs[i] = wcschr(at, L'\t') ? wcschr(at, L'\t') + 1 : nullptr;
    wchar_t where[32];
    wsprintfW(where, L"%d 行目: ", number); // not swprintf: it brings 32 KB of the C runtime
    if (!at || wcschr(at, L'\t')) {
        problem = Joined(where, L"欄が四つではありません");
        return false;
    }
    ExportRow row;
    row.line = number;
    wchar_t* fields = wcsdup(line);
    if (!fields)
        abort();
    for (const wchar_t* tab : tabs)
        fields[tab - line - 1] = L'\0';
    row.status = StatusOfName(fields);
    row.folder = WideText(fields + (tabs[0] - line));
    row.description = WideText(fields + (tabs[1] - line));
    free(fields);
    if (row.status < 0)
        problem = Joined(where, L"この状態はありません");
    else if (!*(const wchar_t*)row.folder)
        problem = Joined(where, L"フォルダの名前がありません");
    else if (DescriptionBytes(row.description) > kMaxDescriptionBytes)
        problem = Joined(where, L"説明は 255 文字以内で入力してください。");
    if (*(const wchar_t*)problem)
        return false;
    m_rows.Add(row);
    return true;
}

WideText MovedFolder(const wchar_t* folder, const wchar_t* from, const wchar_t* to) {
    size_t length = wcslen(from);
    while (length > 1 && from[length - 1] == L'\\')
        --length;
    if (!length || wcslen(folder) < length ||
        CompareStringOrdinal(folder, (int)length, from, (int)length, TRUE) != CSTR_EQUAL ||
        (folder[length] && folder[length] != L'\\'))
        return WideText(folder);
    WideText moved(to);
    size_t toLength = wcslen(to);
    const wchar_t* rest = folder + length;
    if (*rest && toLength && to[toLength - 1] == L'\\')
        ++rest; // "D:\" and "\sub" meet at one backslash
    moved += rest;
    return moved;
}

// The script commands as their words say them, decided from the text alone
// before any folder is touched: which command, status, icon, description and
// folders; which folder names are refused; the rows of an export read back.
#pragma once

#include "../base/Items.h"
#include "../base/WideText.h"

// Exit codes of every command, for scripts.
enum CommandExit {
    kCommandDone = 0,
    kCommandNoMark = 1,     // /get: a folder carries no mark
    kCommandNoFolder = 2,   // a folder missing, no folder, or refused
    kCommandNotWritten = 3, // desktop.ini, the icon copy or a file not written
    kCommandBadLine = 4,    // nothing was changed
    // left alone: nothing to undo or redo, or a key Vorelkin wrote has been
    // changed since by another program
    kCommandLeftAlone = 5,
};

// The outcomes of a run, folder by folder; its code is the first of 4, 3, 2,
// 5, then 1 that applies.
class CommandOutcome {
  public:
    void Note(int code) { m_noted |= 1u << code; }
    int Code() const;

  private:
    unsigned m_noted = 0;
};

// Words in order, each whole: the command line's, or names added one by one.
class WordList {
  public:
    WordList() = default;
    // Split as ForEachCommandWord splits, the program's own name first.
    explicit WordList(const wchar_t* commandLine);

    void Add(const wchar_t* word) { m_words.Add(WideText(word)); }
    int Count() const { return m_words.Count(); }
    // "" past the end.
    const wchar_t* operator[](int index) const {
        return index < Count() ? (const wchar_t*)m_words[index] : L"";
    }
    // The word at the index, in any letter case.
    bool Is(int index, const wchar_t* word) const;

  private:
    Items<WideText> m_words;
};

enum class CommandKind { kNone, kBad, kHelp, kSet, kGet, kList, kImport, kUndo, kRedo, kUnmark };

struct ScriptCommand {
    CommandKind kind = CommandKind::kNone;
    WideText problem; // kBad: why, for the error line
    // /set: the status (0 標準 to 8 その他), the icon file and index of
    // その他, and the description when /desc gave one.
    int status = -1;
    WideText iconFile;
    int iconIndex = 0;
    bool describe = false;
    WideText description;
    WordList folders;   // /set, /get, /undo, /redo, /unmark
    bool below = false; // /unmark /s: every marked folder in and under each
    // /import: the file and the folder its rows move from and to.
    WideText file, from, to;
};

// Reads a command line. kNone when its first argument is no switch: the
// popup's folders, or none; /list is left to the overview's own reading.
void ReadScriptCommand(const wchar_t* commandLine, ScriptCommand& command);

// A status as the popup names its row (標準 ... 計画2, その他); -1 otherwise.
int StatusOfName(const wchar_t* name);

// Why a folder name is refused, or null: a device name in any of its parts,
// a \\?\ or \\.\ form, a stream (a colon past the drive's). Asked of the
// name as typed and of its full form, which the system may turn into one.
const wchar_t* RefusedFolderName(const wchar_t* name);

// One row of an export.
struct ExportRow {
    int line = 0;
    int status = 0;
    WideText folder, description;
};

// The rows of an export's bytes: UTF-8 with or without its byte-order mark,
// CR LF or LF, the export's header first, then rows of exactly four
// tab-separated fields with a known status and a description within the
// prompt's limit; empty lines are no rows. False, with the problem, for
// anything else.
class ExportRows {
  public:
    bool Read(const char* bytes, int length, WideText& problem);
    int Count() const { return m_rows.Count(); }
    const ExportRow& operator[](int index) const { return m_rows[index]; }

  private:
    bool ReadRow(const wchar_t* line, int number, WideText& problem);
    Items<ExportRow> m_rows;
};

// The folder a row names once moved: a path under from, or from itself,
// compared without regard to case, goes under to; any other stays.
WideText MovedFolder(const wchar_t* folder, const wchar_t* from, const wchar_t* to);

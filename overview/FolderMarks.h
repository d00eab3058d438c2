// The marks under a folder: which folders carry a status, read without
// changing anything. No window code lives here; the overview window and the
// export both build on it.
#pragma once

#include "../base/WideText.h"

#include <windows.h>

// A mark's status: 標準 (a description, no icon), the slots 必須 to 計画2
// (1 to 7), or その他 (any other icon).
enum MarkStatus { kStatusStandard = 0, kStatusOther = 8, kStatusCount = 9 };

// The status's name as the popup names it: "標準", "必須" ... "計画2", "その他".
const char* StatusName(int status);
// The same name in UTF-16.
const wchar_t* StatusWideName(int status);

// What the statuses are matched against: each slot's icon file and index.
struct SlotIcons {
    WideText path[8];
    int index[8] = {};
};
// The slots as the settings hold them now.
SlotIcons CurrentSlotIcons();

struct FolderMark {
    WideText folder;      // the full long path, as the user knows it (no \\?\ prefix)
    WideText description; // InfoTip; may be empty
    WideText iconFile;    // the icon Explorer shows, a relative name resolved against the folder
    int iconIndex = 0;
    int status = kStatusStandard;
    FILETIME written = {}; // desktop.ini's last write time (UTC)
};

// Reads one folder's desktop.ini (at most its first 64 KB, any encoding) and
// matches its icon against the slots. False when the folder carries no mark:
// it has neither the System nor the ReadOnly bit, or its desktop.ini is
// missing, unreadable or names neither icon nor description.
bool ReadFolderMark(const wchar_t* folder, const SlotIcons& slots, FolderMark& mark);

// The rule itself, on desktop.ini's bytes as read (UTF-16LE or UTF-8 with
// their byte-order marks, UTF-8 without one where it is not valid CP932,
// else the ANSI code page): fills every field but the
// time. The folder resolves a relative icon file.
bool MarkFromIniBytes(const char* bytes, int length, const wchar_t* folder, const SlotIcons& slots,
                      FolderMark& mark);

// Told of each mark as the scan finds it, on the scanning thread.
class MarkScanSink {
  public:
    virtual void Found(const FolderMark& mark) = 0;
    // Now and then: how many folders have been looked at so far.
    virtual void Progress(unsigned scanned) { (void)scanned; }

  protected:
    ~MarkScanSink() = default;
};

struct ScanTotals {
    unsigned scanned = 0;    // folders looked at, the root included
    unsigned unreadable = 0; // folders that could not be listed or read
    unsigned marks = 0;
    DWORD milliseconds = 0;
    bool stopped = false; // ended early by the stop flag
};

// Walks the folder and every folder beneath it, never following a reparse
// point, and opens desktop.ini only in folders with the System or ReadOnly
// bit. Ends soon after *stop becomes nonzero.
ScanTotals ScanFolderMarks(const wchar_t* root, const SlotIcons& slots, MarkScanSink& sink,
                           const volatile LONG* stop = nullptr);

// The export's bytes for these marks, in the order given: UTF-8 with a
// byte-order mark, lines ending in CR LF, the header line
// "状態<TAB>フォルダ<TAB>説明<TAB>更新日時" first.
CString MarksAsText(const FolderMark* const* marks, int count);
// Exit codes of the list and its export, for scripts.
enum ListExit { kListDone = 0, kListNoFolder = 2, kListNotWritten = 3 };
// MarksAsText written to the file, whole or not at all (a temporary file in
// the same folder, then renamed over it).
bool WriteMarksFile(const wchar_t* path, const FolderMark* const* marks, int count);
// Orders marks as the export lists them: by path, ordinal, ignoring case.
void SortMarksByFolder(const FolderMark** marks, int count);

// A path for the -W file calls: full, in the \\?\ form that passes MAX_PATH,
// without a trailing backslash but a drive root's. Empty when the path
// cannot be made full.
WideText ExtendedFolderPathOf(const wchar_t* path);
// The path as the user knows it, without the \\?\ form; a drive keeps its
// root's backslash.
WideText ShownPathOf(const wchar_t* longPath);

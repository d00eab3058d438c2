// The walk: every folder beneath the root, listed once, never through a
// reparse point, and nothing written.
#include "FolderMarks.h"

#include "MarkPaths.h"

#include "../base/Items.h"
#include "../base/WholeFile.h"
#include "../framework/Scoped.h"

#include <stdlib.h>
#include <string.h>

namespace {
const wchar_t kLongPrefix[] = L"\\\\?\\";
const wchar_t kUncPrefix[] = L"\\\\?\\UNC\\";
const DWORD kProgressMs = 100;

bool StartsWith(const wchar_t* text, const wchar_t* start) {
    return wcsncmp(text, start, wcslen(start)) == 0;
}

// The folders still to list, deepest last; each path owned here.
class FolderStack {
  public:
    FolderStack() = default;
    FolderStack(const FolderStack&) = delete;
    FolderStack& operator=(const FolderStack&) = delete;
    ~FolderStack() {
        for (WideText* path : m_paths)
            delete path;
    }
    bool IsEmpty() const { return m_paths.Count() == 0; }
    void Push(WideText* path) { m_paths.Add(path); }
    WideText* Pop() {
        WideText* path = m_paths.Last();
        m_paths.RemoveLast();
        return path;
    }

  private:
    Items<WideText*> m_paths;
};

struct FindCloser {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using ScopedFind = ScopedHandle<HANDLE, FindCloser>;

bool IsDotName(const wchar_t* name) {
    return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2]));
}

bool MayCarryMark(DWORD attributes) {
    return attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
}

class Walk {
  public:
    Walk(const SlotIcons& slots, MarkScanSink& sink, const volatile LONG* stop)
        : m_slots(slots), m_sink(sink), m_stop(stop) {}

    void Look(const wchar_t* path, DWORD attributes) {
        if (!MayCarryMark(attributes))
            return;
        FolderMark mark;
        MarkRead read = ReadMarkAt(path, m_slots, mark);
        if (read == MarkRead::Failed)
            ++totals.unreadable;
        if (read != MarkRead::Marked)
            return;
        ++totals.marks;
        m_sink.Found(mark);
    }

    // A junction, symbolic link or mount point names another place, which a
    // loop may lead back to. Other reparse points (deduplicated files, cloud
    // placeholders, projected folders) are ordinary folders with marks of
    // their own. Wine names a Unix symbolic link with the tag 0.
    static bool IsLink(DWORD attributes, DWORD tag) {
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
               (tag == 0 || IsReparseTagNameSurrogate(tag));
    }

    // Lists one folder: looks at each subfolder's mark and queues it.
    void List(const wchar_t* path, FolderStack& pending) {
        WideText pattern = JoinPath(path, L"*");
        WIN32_FIND_DATAW found;
        ScopedFind find(FindFirstFileExW(pattern, FindExInfoBasic, &found, FindExSearchNameMatch,
                                         nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!find.IsValid()) {
            if (GetLastError() != ERROR_FILE_NOT_FOUND) // an empty drive has no "." either
                ++totals.unreadable;
            return;
        }
        do {
            const DWORD attributes = found.dwFileAttributes;
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLink(attributes, found.dwReserved0) ||
                IsDotName(found.cFileName))
                continue;
            WideText* child = new WideText(JoinPath(path, found.cFileName));
            Count();
            Look(*child, attributes);
            pending.Push(child);
        } while (!Stopped() && FindNextFileW(find, &found));
        if (!Stopped() && GetLastError() != ERROR_NO_MORE_FILES)
            ++totals.unreadable;
    }

    void Count() {
        ++totals.scanned;
        if ((totals.scanned & 63) == 0 && GetTickCount() - m_reported >= kProgressMs) {
            m_reported = GetTickCount();
            m_sink.Progress(totals.scanned);
        }
    }

    bool Stopped() const { return m_stop && *m_stop; }

    ScanTotals totals;

  private:
    const SlotIcons& m_slots;
    MarkScanSink& m_sink;
    const volatile LONG* m_stop;
    DWORD m_reported = GetTickCount();
};
} // namespace

WideText ExtendedFolderPathOf(const wchar_t* path) {
    if (!path || !*path)
        return WideText();
    WideText full = ExtendedPathOf(path);
    if (!StartsWith(full, kLongPrefix))
        return WideText(); // it could not be made full
    // One form for every folder; only a drive's root keeps its backslash, as
    // "\\?\C:" names the volume instead.
    size_t length = wcslen(full);
    if (length > 4 && full[length - 1] == L'\\' && full[length - 2] != L':') {
        WideText trimmed;
        wchar_t* copy = (wchar_t*)malloc(sizeof(wchar_t) * length);
        if (!copy)
            abort();
        memcpy(copy, (const wchar_t*)full, sizeof(wchar_t) * (length - 1));
        copy[length - 1] = L'\0';
        trimmed += copy;
        free(copy);
        return trimmed;
    }
    return full;
}

WideText ShownPathOf(const wchar_t* longPath) {
    WideText shown;
    if (StartsWith(longPath, kUncPrefix)) {
        shown = WideText(L"\\\\");
        shown += longPath + wcslen(kUncPrefix);
    } else {
        shown =
            WideText(StartsWith(longPath, kLongPrefix) ? longPath + wcslen(kLongPrefix) : longPath);
    }
    if (wcslen(shown) == 2 && shown[1] == L':')
        shown += L"\\";
    return shown;
}

WideText JoinPath(const wchar_t* folder, const wchar_t* name) {
    WideText path(folder);
    size_t length = wcslen(folder);
    if (length && folder[length - 1] != L'\\')
        path += L"\\";
    path += name;
    return path;
}

ScanTotals ScanFolderMarks(const wchar_t* root, const SlotIcons& slots, MarkScanSink& sink,
                           const volatile LONG* stop) {
    const DWORD start = GetTickCount();
    Walk walk(slots, sink, stop);
    FolderStack pending;
    WideText* rootPath = new WideText(ExtendedFolderPathOf(root));
    // The root is followed even where it is a link: the user named it.
    walk.Count();
    DWORD attributes = GetFileAttributesW(*rootPath);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ++walk.totals.unreadable;
        delete rootPath;
    } else {
        walk.Look(*rootPath, attributes);
        pending.Push(rootPath);
    }
    while (!pending.IsEmpty() && !walk.Stopped()) {
        WideText* path = pending.Pop();
        walk.List(*path, pending);
        delete path;
    }
    walk.totals.stopped = walk.Stopped();
    walk.totals.milliseconds = GetTickCount() - start;
    return walk.totals;
}

#include "OverviewCache.h"

#include "OverviewDlg.h"

#include "../base/UserData.h"
#include "../base/WholeFile.h"
#include "../framework/Scoped.h"

#include <algorithm>
#include <stdlib.h>
#include <string.h>

namespace {
// "VRKROWS" and the layout's version: another version is ignored whole.
const char kMagic[8] = {'V', 'R', 'K', 'R', 'O', 'W', 'S', '\0'};
const DWORD kVersion = 1;
// Larger than any tree's marks: a damaged length is refused before memory
// is asked for it.
const DWORD kMostBytes = 256u * 1024 * 1024;

// The user's data folder, created when missing; empty when there is none.
WideText DataFolder() {
    WideText folder = UserDataFolder();
    if (*(const wchar_t*)folder)
        CreateDirectoryW(ExtendedPathOf(folder), nullptr);
    return folder;
}

// One file per folder, named by a hash of its path ignoring case (FNV-1a).
WideText KeptRowsPath(const wchar_t* root) {
    WideText folder = DataFolder();
    if (!*folder)
        return folder;
    unsigned long long hash = 14695981039346656037ull;
    for (const wchar_t* at = root; *at; ++at) {
        hash ^= (wchar_t)(ULONG_PTR)CharUpperW((LPWSTR)(ULONG_PTR)*at);
        hash *= 1099511628211ull;
    }
    wchar_t name[48];
    wsprintfW(name, L"\\overview-%08lx%08lx.rows", (unsigned long)(hash >> 32),
              (unsigned long)hash);
    folder += name;
    return folder;
}

class Writer {
  public:
    void Bytes(const void* data, int length) { m_bytes.Append((const char*)data, length); }
    void Number(DWORD number) { Bytes(&number, sizeof(number)); }
    void Text(const wchar_t* text) {
        DWORD length = (DWORD)lstrlenW(text);
        Number(length);
        Bytes(text, (int)(length * sizeof(wchar_t)));
    }
    const CString& Result() const { return m_bytes; }

  private:
    CString m_bytes;
};

class Reader {
  public:
    Reader(const char* bytes, DWORD length) : m_at(bytes), m_end(bytes + length) {}
    bool Bytes(void* into, DWORD length) {
        if ((DWORD)(m_end - m_at) < length)
            return false;
        memcpy(into, m_at, length);
        m_at += length;
        return true;
    }
    bool Number(DWORD& number) { return Bytes(&number, sizeof(number)); }
    bool Text(WideText& text) {
        DWORD length = 0;
        if (!Number(length) || length > (DWORD)(m_end - m_at) / sizeof(wchar_t))
            return false;
        wchar_t* copy = (wchar_t*)malloc(sizeof(wchar_t) * (length + 1));
        if (!copy)
            return false;
        Bytes(copy, length * sizeof(wchar_t));
        copy[length] = L'\0';
        text = WideText(copy);
        free(copy);
        return true;
    }
    bool AtEnd() const { return m_at == m_end; }

  private:
    const char* m_at;
    const char* m_end;
};

} // namespace

bool ReadKeptRows(const wchar_t* root, MarkList& marks, FILETIME& scanned) {
    CString bytes;
    WideText path = KeptRowsPath(root);
    if (!*path || !ReadWholeFile(path, bytes, kMostBytes))
        return false;
    Reader reader(bytes, (DWORD)bytes.GetLength());
    char magic[sizeof(kMagic)] = {};
    DWORD version = 0, count = 0;
    WideText keptRoot;
    if (!reader.Bytes(magic, sizeof(magic)) || memcmp(magic, kMagic, sizeof(magic)) != 0 ||
        !reader.Number(version) || version != kVersion || !reader.Text(keptRoot) ||
        CompareStringOrdinal(keptRoot, -1, root, -1, TRUE) != CSTR_EQUAL ||
        !reader.Bytes(&scanned, sizeof(scanned)) || !reader.Number(count))
        return false;
    MarkList read;
    bool whole = true;
    for (DWORD i = 0; whole && i < count; ++i) {
        FolderMark* mark = new FolderMark;
        DWORD status = 0, index = 0;
        whole = reader.Number(status) && status < kStatusCount && reader.Number(index) &&
                reader.Bytes(&mark->written, sizeof(mark->written)) && reader.Text(mark->folder) &&
                reader.Text(mark->iconFile) && reader.Text(mark->description);
        mark->status = (int)status;
        mark->iconIndex = (int)index;
        read.Push(mark);
    }
    if (!whole || !reader.AtEnd()) {
        read.DeleteAll();
        return false;
    }
    marks.TakeAll(read);
    return true;
}

void KeepRows(const wchar_t* root, const FILETIME& scanned, const FolderMark* const* marks,
              int count) {
    WideText path = KeptRowsPath(root);
    if (!*path)
        return;
    Writer writer;
    writer.Bytes(kMagic, sizeof(kMagic));
    writer.Number(kVersion);
    writer.Text(root);
    writer.Bytes(&scanned, sizeof(scanned));
    writer.Number((DWORD)count);
    for (int i = 0; i < count; ++i) {
        const FolderMark& mark = *marks[i];
        writer.Number((DWORD)mark.status);
        writer.Number((DWORD)mark.iconIndex);
        writer.Bytes(&mark.written, sizeof(mark.written));
        writer.Text(mark.folder);
        writer.Text(mark.iconFile);
        writer.Text(mark.description);
    }
    WriteWholeFile(path, writer.Result());
}

namespace {
bool FolderBefore(const FolderMark* a, const FolderMark* b) {
    return CompareStringOrdinal(a->folder, -1, b->folder, -1, TRUE) == CSTR_LESS_THAN;
}
} // namespace

void COverviewDlg::ShowKeptRows() {
    MarkList kept;
    if (!ReadKeptRows(m_root, kept, m_keptScanned) || !kept.Count())
        return;
    // Copies to look the folders up by, each with its row.
    FolderMark** items = const_cast<FolderMark**>(kept.Items());
    std::sort(items, items + kept.Count(), FolderBefore);
    m_keptRows = (FolderMark**)malloc(sizeof(FolderMark*) * kept.Count());
    m_keptConfirmed = (bool*)calloc(kept.Count(), sizeof(bool));
    if (!m_keptRows || !m_keptConfirmed)
        abort();
    for (int i = 0; i < kept.Count(); ++i) {
        m_kept.Push(new FolderMark(*kept[i]));
        m_keptRows[i] = kept[i];
    }
    {
        Selection none(*this, false);
        m_rows.Add(kept);
    }
    FillStatusFilter();
    OnProgressTimer(); // says where the rows come from
}

int COverviewDlg::KeptIndex(const FolderMark& mark) const {
    FolderMark* const* items = m_kept.Items();
    FolderMark* const* at = std::lower_bound(items, items + m_kept.Count(), &mark, FolderBefore);
    return at != items + m_kept.Count() && !FolderBefore(&mark, *at) ? (int)(at - items) : -1;
}

// Each mark the scan finds takes the place of the kept row of its folder.
void COverviewDlg::ConfirmKept(MarkList& found) {
    MarkList old;
    for (int i = 0; i < found.Count(); ++i) {
        const int index = KeptIndex(*found[i]);
        if (index < 0 || m_keptConfirmed[index])
            continue;
        m_keptConfirmed[index] = true;
        if (m_keptRows[index])
            old.Push(m_keptRows[index]);
    }
    ReplaceRows(old, found);
}

void COverviewDlg::FollowKept(const MarkList& old, const MarkList& now) {
    for (int i = 0; m_kept.Count() && i < old.Count(); ++i) {
        const int index = KeptIndex(*old[i]);
        if (index >= 0 && m_keptRows[index] == old[i])
            m_keptRows[index] = now[i];
    }
}

// The kept rows the scan did not confirm go once it has looked everywhere.
void COverviewDlg::ForgetKept(bool scanEnded) {
    MarkList old, none;
    for (int i = 0; scanEnded && i < m_kept.Count(); ++i) {
        if (!m_keptConfirmed[i] && m_keptRows[i])
            old.Push(m_keptRows[i]);
    }
    m_kept.DeleteAll();
    free(m_keptRows);
    free(m_keptConfirmed);
    m_keptRows = nullptr;
    m_keptConfirmed = nullptr;
    if (!old.Count())
        return;
    ReplaceRows(old, none);
    FillStatusFilter();
}

void COverviewDlg::KeepRowsNow() {
    MarkList all;
    for (int i = 0; i < m_rows.Count(); ++i)
        all.Push(m_rows.Mark(i));
    KeepRows(m_root, m_upToDateFile, all.Items(), all.Count());
}

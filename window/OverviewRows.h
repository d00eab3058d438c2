// The marks the overview holds, and the rows it shows of them: those that
// pass the status and text filters, in the order of the chosen column.
#pragma once

#include "../base/Items.h"
#include "../overview/FolderMarks.h"

// The marks in a list, which deletes them only when told to.
class MarkList {
  public:
    int Count() const { return m_marks.Count(); }
    FolderMark* operator[](int index) const { return m_marks[index]; }
    FolderMark* const* Items() const { return m_marks.begin(); }
    void Push(FolderMark* mark) { m_marks.Add(mark); }
    void Empty() { m_marks.Clear(); }
    // Moves every mark of the other list to the end of this one.
    void TakeAll(MarkList& other);
    // Deletes the marks and empties the list.
    void DeleteAll();

  private:
    ::Items<FolderMark*> m_marks;
};

class COverviewRows {
  public:
    enum Column { kColumnStatus, kColumnFolder, kColumnDescription, kColumnWritten, kColumns };
    static const int kAllStatuses = -1;

    COverviewRows() = default;
    COverviewRows(const COverviewRows&) = delete;
    COverviewRows& operator=(const COverviewRows&) = delete;
    ~COverviewRows() { m_all.DeleteAll(); }

    void Clear();
    // Takes the marks and shows those that pass the filters, in order.
    void Add(MarkList& found);
    // The marks read again: each old mark becomes the new one at its index,
    // or, where that is null, leaves the list. The rows are sorted once for
    // all of them, so reading every row again costs no more than a sort.
    void Replace(const MarkList& old, const MarkList& now);

    void SetFilter(int status, const wchar_t* text);
    // The same column again reverses the order.
    void SortBy(int column);
    void SetSort(int column, bool descending) {
        m_sortColumn = column;
        m_descending = descending;
        Sort();
    }
    int FilterStatus() const { return m_status; }
    int SortColumn() const { return m_sortColumn; }
    bool SortDescending() const { return m_descending; }

    int Count() const { return m_all.Count(); }
    FolderMark* Mark(int index) const { return m_all[index]; }
    int CountOf(int status) const;
    int VisibleCount() const { return m_visible.Count(); }
    FolderMark* Visible(int row) const { return m_visible[row]; }
    const FolderMark* const* VisibleMarks() const { return m_visible.Items(); }
    // The row that shows the mark; -1 when it is filtered out.
    int RowOf(const FolderMark* mark) const;

  private:
    bool Passes(const FolderMark& mark) const;
    void Refilter();
    void Sort();

    MarkList m_all;
    MarkList m_visible; // points into m_all
    int m_status = kAllStatuses;
    WideText m_text;
    int m_sortColumn = kColumnFolder;
    bool m_descending = false;
};

// desktop.ini's last write time as the list and the export show it: local
// time, "YYYY-MM-DD HH:MM:SS". On the window's thread only.
void FormatWritten(const FILETIME& written, wchar_t (&text)[20]);

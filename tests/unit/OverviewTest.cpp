// The overview's status rule on desktop.ini's bytes, and the export's lines:
// each case a row {line, input, expected}, walked by one loop.
#include "base/Settings.h"
#include "overview/FolderMarks.h"
#include "support/Files.h"
#include "window/OverviewCache.h"
#include "window/OverviewPlacement.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace std::string_literals;

namespace {
// UTF-16LE with its byte-order mark, as Windows' own desktop.ini files are.
std::string Utf16(const wchar_t* text) {
    return "\xFF\xFE"s + std::string((const char*)text, 2 * wcslen(text));
}

// What the overview shows of a mark: "status|icon file,index|description".
std::string Shown(const FolderMark& mark) {
    return Utf8(StatusWideName(mark.status)) + "|" + Utf8(mark.iconFile) + "," +
           std::to_string(mark.iconIndex) + "|" + Utf8(mark.description);
}
} // namespace

// Slot 3 shows the third icon of its file. A slot is known by its icon
// file's name and index wherever the file lies; the mark in the folder
// decides nothing by its own path.
TEST(Overview, StatusRule) {
    SlotIcons slots;
    for (int slot = 0; slot < 8; ++slot)
        slots.path[slot] =
            WideText(("C:\\Tools\\icons\\fld0" + std::to_string(slot) + ".ico").c_str());
    slots.index[3] = 2;
    const std::string head = "[.ShellClassInfo]\r\n";
    const std::string pad = Repeat("; padding\r\n", 7000); // past 64 KB
    const std::tuple<int, std::string, std::string> rows[] = {
        {__LINE__, head + "IconFile=C:\\Tools\\icons\\fld01.ico\r\nIconIndex=0\r\n",
         u8"必須|C:\\Tools\\icons\\fld01.ico,0|"},
        {__LINE__, head + "IconFile=FLD02.ICO\r\nInfoTip=写し\r\n",
         u8"重要|D:\\案件\\x\\FLD02.ICO,0|写し"},
        {__LINE__, head + "IconFile=E:\\他のPC\\icons\\fld04.ico\r\nIconIndex=0\r\n",
         u8"未処理|E:\\他のPC\\icons\\fld04.ico,0|"},
        {__LINE__, head + "IconFile=\\\\srv\\v\\fld03.ico\r\nIconIndex=2\r\n",
         u8"進行中|\\\\srv\\v\\fld03.ico,2|"},
        {__LINE__, head + "IconFile=C:\\Tools\\icons\\fld03.ico\r\nIconIndex=0\r\n",
         u8"その他|C:\\Tools\\icons\\fld03.ico,0|"},
        {__LINE__, head + "IconFile=C:\\x\\fld00.ico\r\n", u8"その他|C:\\x\\fld00.ico,0|"},
        // The copy that a user's own file of the icon's name made take a number.
        {__LINE__, head + "IconFile=fld02 (2).ico\r\nIconIndex=0\r\n",
         u8"重要|D:\\案件\\x\\fld02 (2).ico,0|"},
        {__LINE__, head + "IconFile=fld02 (x).ico\r\n", u8"その他|D:\\案件\\x\\fld02 (x).ico,0|"},
        {__LINE__, head + "IconFile=%SystemRoot%\\a.dll\r\nIconIndex=-3\r\n",
         u8"その他|%SystemRoot%\\a.dll,-3|"},
        {__LINE__, head + "InfoTip=説明だけ\r\n", u8"標準|,0|説明だけ"},
        {__LINE__, head + "IconFile=\r\nInfoTip=説明\r\n", u8"標準|,0|説明"},
        {__LINE__, head + "IconResource=C:\\Tools\\icons\\fld05.ico,0\r\nIconFile=fld01.ico\r\n",
         u8"個人用|C:\\Tools\\icons\\fld05.ico,0|"},
        {__LINE__,
         head + "IconFile=C:\\Tools\\icons\\fld01.ico\r\nIconResource=C:\\W\\shell32.dll,-235\r\n",
         u8"その他|C:\\W\\shell32.dll,-235|"},
        {__LINE__, head + "IconResource=\r\nIconFile=fld06.ico\r\nIconIndex=0\r\n",
         u8"計画1|D:\\案件\\x\\fld06.ico,0|"},
        {__LINE__, head + "ConfirmFileOp=0\r\nIconIndex=3\r\n", ""},
        {__LINE__, head + "IconFile=\r\nInfoTip=\r\n", ""},
        {__LINE__, "[ViewState]\r\nIconFile=fld01.ico\r\nInfoTip=x\r\n", ""},
        {__LINE__, "", ""},
        // Any encoding: UTF-16 (cut at an odd byte), UTF-8, CP932 (a cut character
        // becomes the code page's "・"); binary junk.
        {__LINE__, Utf16(L"[.ShellClassInfo]\r\nIconFile=fld07.ico\r\nInfoTip=鷗外😀\r\n") + "\x01",
         u8"計画2|D:\\案件\\x\\fld07.ico,0|鷗外😀"},
        {__LINE__, u8"\uFEFF[.ShellClassInfo]\r\nInfoTip=鷗\r\n", u8"標準|,0|鷗"},
        {__LINE__, u8"[.ShellClassInfo]\r\nInfoTip=鷗\r\n", u8"標準|,0|鷗"},
        // Bytes UTF-8 does not allow become U+FFFD; the mark still counts.
        {__LINE__,
         u8"\uFEFF[.ShellClassInfo]\r\nIconFile=fld01.ico\r\nInfoTip=a\xFF\xC3"
         "b\r\n",
         u8"必須|D:\\案件\\x\\fld01.ico,0|a\uFFFD\uFFFDb"},
        {__LINE__, head + "InfoTip=表ソ\x81", u8"標準|,0|表ソ・"},
        {__LINE__, "\0\xFF\xFE\x81\r\n[.ShellClassInfo\r\nInfoTip=\x01\r\n\0"s, ""},
        {__LINE__, head + pad + "InfoTip=too far\r\n", ""},
    };
    for (const auto& [line, bytes, expected] : rows) {
        FolderMark mark;
        bool listed =
            MarkFromIniBytes(bytes.data(), (int)bytes.size(), L"D:\\案件\\x", slots, mark);
        EXPECT_EQ(expected, listed ? Shown(mark) : "") << "line " << line;
    }
}

// Header first, sorted by path without regard to case, a field's tabs and
// line breaks made blanks, the time in local time; UTF-8 with its mark.
TEST(Overview, ExportLines) {
    const std::tuple<int, const wchar_t*, int, const wchar_t*, WORD> rows[] = {
        {__LINE__, L"C:\\b", 8, L"a\tb\r\nc\rd\ne", 1},
        {__LINE__, L"C:\\A\\鷗", 0, L"", 2},
        {__LINE__, L"C:\\a", 1, L"x", 3},
    };
    FolderMark marks[3];
    const FolderMark* order[3];
    for (int i = 0; i < 3; ++i) {
        auto [line, folder, status, description, day] = rows[i];
        (void)line;
        marks[i].folder = WideText(folder);
        marks[i].status = status;
        marks[i].description = WideText(description);
        SYSTEMTIME local = {2024, 7, 0, day, 23, 5, 9, 0}, utc;
        ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
        ASSERT_TRUE(SystemTimeToFileTime(&utc, &marks[i].written));
        order[i] = &marks[i];
    }
    SortMarksByFolder(order, 3);
    CString text = MarksAsText(order, 3);
    // Out of the macro: its text of the call is CP932, which cannot hold "鷗".
    const std::string expected = u8"\uFEFF状態\tフォルダ\t説明\t更新日時\r\n"
                                 u8"必須\tC:\\a\tx\t2024-07-03 23:05:09\r\n"
                                 u8"標準\tC:\\A\\鷗\t\t2024-07-02 23:05:09\r\n"
                                 u8"その他\tC:\\b\ta b  c d e\t2024-07-01 23:05:09\r\n";
    EXPECT_EQ(expected, std::string(text, text.GetLength()));
}

// How the overview was left, as its next opening reads it: a value that
// can't be read keeps its default; a placement no monitor shows now comes
// onto one, its size kept.
TEST(Overview, LayoutValuesThatCannotBeReadKeepTheirDefaults) {
    const std::tuple<int, std::string, std::string> rows[] = {
        {__LINE__,
         "Placement=10,20,310,420,1\r\nColumns=10,20,30,40\r\nColumnOrder=3,2,1,0\r\n"
         "Sort=2,1\r\nFilter=4\r\n",
         "10,20,300x400 max|10,20,30,40|3,2,1,0|2,1|4"},
        {__LINE__,
         "Placement=10,20,5,420,0\r\nColumns=10,20,30,40\r\nColumnOrder=0,0,1,2\r\n"
         "Sort=4,0\r\nFilter=9\r\n",
         "none|none|none|1,0|-1"},
        {__LINE__,
         "Placement=1,2,3,x,0\r\nColumns=1,2,3,4,5\r\nColumnOrder=0,1,2,3\r\nSort=0,2\r\n"
         "Filter=\r\n",
         "none|none|none|1,0|-1"},
        {__LINE__, "Placement=60000,60000,60600,60400,0\r\n", "on screen 600x400|none|none|1,0|-1"},
    };
    TempDir dir;
    g_strIniPath = dir / "vrkcfg.ini";
    for (const auto& [line, keys, expected] : rows) {
        ASSERT_TRUE(WriteBytes(g_strIniPath, "[Overview]\r\n" + keys));
        const OverviewLayout layout = ReadOverviewLayout();
        const RECT& r = layout.placement.rcNormalPosition;
        char text[200] = "none";
        const char* shown = layout.placement.showCmd == SW_SHOWMAXIMIZED ? " max" : "";
        if (layout.hasPlacement && r.left > 1000)
            strcpy(text, "far away");
        else if (layout.hasPlacement && r.left < 1000 && (r.left != 10 || r.top != 20))
            sprintf(text, "on screen %ldx%ld%s", r.right - r.left, r.bottom - r.top, shown);
        else if (layout.hasPlacement)
            sprintf(text, "%ld,%ld,%ldx%ld%s", r.left, r.top, r.right - r.left, r.bottom - r.top,
                    shown);
        const int* w = layout.widths;
        const int* o = layout.order;
        std::string got =
            std::string(text) + "|" +
            (layout.hasColumns ? std::to_string(w[0]) + "," + std::to_string(w[1]) + "," +
                                     std::to_string(w[2]) + "," + std::to_string(w[3]) + "|" +
                                     std::to_string(o[0]) + "," + std::to_string(o[1]) + "," +
                                     std::to_string(o[2]) + "," + std::to_string(o[3])
                               : "none|none") +
            "|" + std::to_string(layout.sortColumn) + "," + std::to_string(layout.descending) +
            "|" + std::to_string(layout.status);
        EXPECT_EQ(expected, got) << "row at line " << line;
    }
    g_strIniPath.Empty();
}

// The kept rows come back as written; a file damaged, of another version or
// of another folder gives none, and nothing is added.
TEST(Overview, KeptRowsComeBackOnlyWhole) {
    TempDir dir;
    struct OwnData { // the process's own data folder comes back however the test ends
        char path[MAX_PATH] = "";
        OwnData() { GetEnvironmentVariableA("VORELKIN_DATA", path, MAX_PATH); }
        ~OwnData() { SetEnvironmentVariableA("VORELKIN_DATA", path); }
    } own;
    SetEnvironmentVariableA("VORELKIN_DATA", dir / "Vorelkin");
    FolderMark mark;
    mark.folder = WideText(L"C:\\ツリー\\a");
    mark.description = WideText(L"資料");
    mark.iconFile = WideText(L"C:\\icons\\fld02.ico");
    mark.status = 2;
    mark.written = {1, 2};
    const FolderMark* marks[] = {&mark};
    const FILETIME scanned = {3, 4};
    KeepRows(L"C:\\ツリー", scanned, marks, 1);
    const CString file = dir / "Vorelkin\\overview-*.rows";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(file, &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    const CString path = dir / "Vorelkin\\" + found.cFileName;
    const std::string bytes = ReadBytes(path);
    // The bytes, then the folder asked for: what comes back.
    const std::tuple<int, std::string, const wchar_t*, std::string> rows[] = {
        {__LINE__, bytes, L"c:\\ツリー", u8"重要|C:\\icons\\fld02.ico,0|資料 3"},
        {__LINE__, bytes.substr(0, bytes.size() - 1), L"C:\\ツリー", "none"},
        {__LINE__, bytes.substr(0, 8) + "\x02" + bytes.substr(9), L"C:\\ツリー", "none"},
        {__LINE__, bytes + "x", L"C:\\ツリー", "none"},
    };
    for (const auto& [line, written, root, expected] : rows) {
        ASSERT_TRUE(WriteBytes(path, written));
        MarkList read;
        FILETIME when = {};
        std::string got = "none";
        if (ReadKeptRows(root, read, when) && read.Count() == 1)
            got = Shown(*read[0]) + " " + std::to_string(when.dwLowDateTime);
        EXPECT_EQ(expected, got) << "row at line " << line;
        read.DeleteAll();
    }
    // Another folder's file under this folder's name.
    ASSERT_TRUE(DeleteFileA(path));
    KeepRows(L"C:\\other", scanned, marks, 1);
    find = FindFirstFileA(file, &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    ASSERT_TRUE(MoveFileA(dir / "Vorelkin\\" + found.cFileName, path));
    MarkList read;
    FILETIME when = {};
    EXPECT_FALSE(ReadKeptRows(L"C:\\ツリー", read, when));
    EXPECT_EQ(0, read.Count());
}

// The overview's status rule on desktop.ini's bytes, and the export's lines:
// each case a row {line, input, expected}, walked by one loop.
#include "overview/FolderMarks.h"
#include "support/Files.h"

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

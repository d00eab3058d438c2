// The byte-string rules, the version table and the in-place INI editor:
// each case is a row {line, input, expected}, walked by one loop.
#include "base/IniText.h"
#include "base/OsVersion.h"
#include "base/Settings.h"
#include "base/TargetFolders.h"
#include "base/TextRules.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Files.h"
#include "popup/IconFileDialog.h"

#include <gtest/gtest.h>

#include <limits.h>

#include <tuple>

using namespace std::string_literals;

TEST(Rules, AnsiCodePageIs932) {
    ASSERT_EQ(932u, GetACP()); // every other test's bytes assume it
}

TEST(Rules, LeadingInt) {
    const std::tuple<int, const char*, int> rows[] = {
        {__LINE__, "12abc", 12},
        {__LINE__, "-1", -1},
        {__LINE__, " \t+7x", 7},
        {__LINE__, "abc", 0},
        {__LINE__, "", 0},
        {__LINE__, "- 5", 0},
        {__LINE__, "2147483647", INT_MAX},
        {__LINE__, "2147483648", INT_MAX},
        {__LINE__, "-2147483648", INT_MIN},
        {__LINE__, "-99999999999999999999999", INT_MIN},
    };
    for (auto [line, text, value] : rows)
        EXPECT_EQ(value, LeadingInt(text)) << "line " << line;
}

// "ソ" (83 5C), "表" (95 5C) and "―" (81 5C) end in the backslash byte.
TEST(Rules, LastBackslashSkipsTrailBytes) {
    const std::tuple<int, const char*, int> rows[] = {
        {__LINE__, "abc", -1},        {__LINE__, "C:\\x", 2}, {__LINE__, "C:\\ソ表.ico", 2},
        {__LINE__, "C:\\表ソ\\a", 7}, {__LINE__, "C:\\―", 2}, {__LINE__, "表", -1},
        {__LINE__, "\x81\\\\x", 2}, // a lead byte takes the first backslash with it
    };
    for (auto [line, text, index] : rows)
        EXPECT_EQ(index, FindLastBackslash(text)) << "line " << line;
}

TEST(Rules, CutAtCharBoundaryNeverSplitsADoubleByteCharacter) {
    const std::string a254(254, 'a');
    const std::tuple<int, std::string, int, int> rows[] = {
        {__LINE__, a254 + "表表", 255, 254},
        {__LINE__, a254 + "表表", 256, 256},
        {__LINE__, "a" + a254 + "表", 255, 255},
        {__LINE__, a254 + "ab", 255, 255},
        {__LINE__, "\x81", 1, 1}, // a lone lead byte at the end is one byte
    };
    for (const auto& [line, text, maxBytes, length] : rows)
        EXPECT_EQ(length, CutAtCharBoundary(text.c_str(), maxBytes).GetLength()) << "line " << line;
}

// Every argument after the program's is a folder; a quote only groups, so a
// quoted drive root stays whole, and a bare drive is its root, also the
// current folder's drive. A folder named twice is marked once.
TEST(Rules, FolderArgumentsSplitAtBlanksOutsideQuotes) {
    const std::tuple<int, const wchar_t*, const char*> rows[] = {
        {__LINE__, L"v.exe \"D:\\\" \"E:\\\"", "D:\\|E:\\"},
        {__LINE__, L"\"C:\\P F\\v.exe\" \"C:\\My Folder\"  C:\\a\tD:", "C:\\My Folder|C:\\a|D:\\"},
        {__LINE__, L"v.exe \"\" \"C:\\a b\"c", "C:\\a bc"},
        {__LINE__, L"v.exe", ""},
        {__LINE__, L"v.exe C:", "C:\\"},
        {__LINE__, L"v.exe C:\\a c:\\A \"C:\\a\"", "C:\\a"},
    };
    TempDir here; // the current folder on C:, not its root
    ASSERT_EQ('C', here.Path()[0]);
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryA(here.Path());
    for (auto [line, commandLine, folders] : rows) {
        TargetFolders split;
        AddFolderArguments(commandLine, split);
        std::string joined;
        for (int i = 0; i < split.Count(); ++i)
            joined += (i ? "|" : "") + std::string(split.Path(i));
        EXPECT_EQ(folders, joined) << "line " << line;
    }
    SetCurrentDirectoryW(previous);
}

TEST(Rules, SystemErrorTextOrTheCodesNumber) {
    EXPECT_STREQ("アクセスが拒否されました。\r\n", SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_STREQ("536870913", SystemErrorText(0x20000001));
}

TEST(Rules, OsVersionClassification) {
    const std::tuple<int, DWORD, DWORD, DWORD, int> rows[] = {
        {__LINE__, 0, 3, 10, 31}, {__LINE__, 1, 4, 0, 95}, {__LINE__, 1, 4, 10, 98},
        {__LINE__, 1, 4, 11, 99}, {__LINE__, 1, 5, 0, 99}, {__LINE__, 1, 3, 95, 0},
        {__LINE__, 2, 3, 51, 3},  {__LINE__, 2, 4, 0, 4},  {__LINE__, 2, 5, 0, 2000},
        {__LINE__, 2, 5, 1, 51},  {__LINE__, 2, 5, 2, 51}, {__LINE__, 2, 6, 0, 0},
        {__LINE__, 2, 2, 0, 0},   {__LINE__, 3, 5, 1, 0}};
    for (auto [line, platform, major, minor, code] : rows)
        EXPECT_EQ(code, ClassifyOSVersion(platform, major, minor)) << "line " << line;
}

TEST(Rules, ProgramIconHasA256PixelLayerForExplorersLargestViews) {
    ScopedHandle<HMODULE, CloseWith<HMODULE, BOOL, FreeLibrary>> exe(
        LoadLibraryExA(BesideTests("Vorelkin.exe"), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC found = FindResourceA(exe, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON);
    const BYTE* group = (const BYTE*)LockResource(LoadResource(exe, found));
    ASSERT_TRUE(group);
    int widthZero = 0; // 14-byte entries after a 6-byte head, each width first; 0 means 256
    for (int i = 0; i < *(const WORD*)(group + 4); ++i)
        widthZero += group[6 + 14 * i] == 0;
    EXPECT_EQ(1, widthZero);
}

// The bars become NULs, but not the second byte of "ポ" (83 7C).
TEST(Rules, FileDialogFilterAndStart) {
    CFileDialog dialog(TRUE, nullptr, nullptr, 0, "ポ(*.p)|*.p|ｱｲｺﾝ|*.ico|");
    const wchar_t expected[] = L"ポ(*.p)\0*.p\0ｱｲｺﾝ\0*.ico\0";
    EXPECT_EQ(std::wstring(expected, std::size(expected)),
              std::wstring(dialog.m_ofn.lpstrFilter, std::size(expected)));
    g_strIconFolder = "C:\\Tools\\icons";
    CIconFileDialog icons;
    EXPECT_EQ((DWORD)(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT),
              icons.m_ofn.Flags);
    EXPECT_STREQ(L"C:\\Tools\\icons", icons.m_ofn.lpstrInitialDir);
}

// The profile reader's rules: names without regard to ASCII case, blanks
// around names and values ignored, one pair of quotes removed, the first
// section and key of a name. "ゾ" is 83 5D: "[ゾ" is no header. In UTF-8 no
// byte takes the next with it: "あ" is E3 81 82.
TEST(IniText, FindValue) {
    const auto cp932 = IniBytes::Cp932;
    const std::tuple<int, const char*, IniBytes, const char*, const char*> rows[] = {
        {__LINE__, "[S]\r\nK=v\r\n", cp932, "S", "v"},
        {__LINE__, " [ s ] \nk = \" a b \" \n", cp932, "S", " a b "},
        {__LINE__, "[S]\nK=a=b\n", cp932, "S", "a=b"},
        {__LINE__, "[S]\nK=\n", cp932, "S", ""},
        {__LINE__, "[S]\nK=1\nK=2\n[S]\nK=3\n", cp932, "S", "1"},
        {__LINE__, "[T]\nK=1\n[S]\nJ=2\n", cp932, "S", nullptr},
        {__LINE__, "[S]\n;K=1\nKK=2\n", cp932, "S", nullptr},
        {__LINE__, "[S]\r\n[ゾ\r\nK=2\r\n", cp932, "S", "2"},
        {__LINE__, "[ゾ]\r\nK=3\r\n", cp932, "ゾ", "3"},
        {__LINE__, u8"[あ]\r\nK=4\r\n", IniBytes::Utf8, u8"あ", "4"},
    };
    for (auto [line, text, kind, section, value] : rows) {
        CString found = "untouched";
        EXPECT_EQ(value != nullptr, FindIniValue(text, kind, section, "K", found)) << line;
        EXPECT_STREQ(value ? value : "untouched", found) << "line " << line;
    }
}

// Only the value changes where it stands; a new key follows the last line
// of its section, a new section ends the text; every other byte stays.
TEST(IniText, SetValue) {
    const std::string mega = Repeat("ab表ソ ", 200000);
    const std::tuple<int, std::string, std::string> rows[] = {
        {__LINE__, "", "[S]\r\nK=v\r\n"},
        {__LINE__, "x=1", "x=1\r\n[S]\r\nK=v\r\n"},
        {__LINE__, "[S]\nA=1\n\n[T]\n", "[S]\nA=1\nK=v\n\n[T]\n"},
        {__LINE__, "x=1\r\n[S]", "x=1\r\n[S]\r\nK=v\r\n"},
        {__LINE__, "[S]\r\n   k = old   \r\nM = keep \r\n", "[S]\r\n   k =v\r\nM = keep \r\n"},
        {__LINE__, "[s]\r\nK=a\r\nK=b\r\n[S]\r\nK=c\r\n", "[s]\r\nK=v\r\nK=b\r\n[S]\r\nK=c\r\n"},
        {__LINE__, "; c\r\n\r\n[O]  \r\n  K  = o \r\n\r\n[S]\r\nM=1\r\n\t\r\n[A]\r\ny=2",
         "; c\r\n\r\n[O]  \r\n  K  = o \r\n\r\n[S]\r\nM=1\r\nK=v\r\n\t\r\n[A]\r\ny=2"},
        {__LINE__, "\0\x01\xFF junk\x1A\r\n[S]\r\nM=\x81\r\n\0=\x7F\rlone\r\n[ゾ]\r\na=\x95"s,
         "\0\x01\xFF junk\x1A\r\n[S]\r\nM=\x81\r\n\0=\x7F\rlone\r\nK=v\r\n[ゾ]\r\na=\x95"s},
        {__LINE__, "[S]\r\n[ゾ\r\nK=2\r\n", "[S]\r\n[ゾ\r\nK=v\r\n"},
        {__LINE__, "[S]\r\nT=" + mega + "\r\nK=1\r\n", "[S]\r\nT=" + mega + "\r\nK=v\r\n"},
    };
    for (const auto& [line, before, after] : rows) {
        CString edited =
            SetIniValue(CString(before.data(), (int)before.size()), IniBytes::Cp932, "S", "K", "v");
        EXPECT_TRUE(after == std::string(edited, edited.GetLength())) << "line " << line;
    }
}

// Text rules, the version table and the platform's code page.
#include "app/OsVersion.h"
#include "app/TextRules.h"

#include <gtest/gtest.h>

#include <limits.h>

TEST(Platform, AnsiCodePageIs932) {
    ASSERT_EQ(932u, GetACP());
}

TEST(OsVersion, ClassificationTable) {
    struct Case {
        DWORD platform, major, minor;
        int code;
    } cases[] = {
        {0, 3, 10, 31}, {0, 9, 9, 31},   {1, 4, 0, 95}, {1, 4, 1, 98}, {1, 4, 10, 98},
        {1, 4, 11, 99}, {1, 4, 90, 99},  {1, 5, 0, 99}, {1, 3, 95, 0}, {2, 3, 51, 3},
        {2, 4, 0, 4},   {2, 5, 0, 2000}, {2, 5, 1, 51}, {2, 5, 2, 51}, {2, 6, 0, 0},
        {2, 10, 0, 0},  {2, 2, 0, 0},    {3, 5, 1, 0},  {7, 4, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.code, ClassifyOSVersion(c.platform, c.major, c.minor))
            << c.platform << " " << c.major << "." << c.minor;
}

TEST(TextRules, LeadingInt) {
    EXPECT_EQ(12, LeadingInt("12abc"));
    EXPECT_EQ(-1, LeadingInt("-1"));
    EXPECT_EQ(7, LeadingInt("  +7"));
    EXPECT_EQ(0, LeadingInt("abc"));
    EXPECT_EQ(0, LeadingInt(""));
    EXPECT_EQ(0, LeadingInt("- 5"));
    EXPECT_EQ(INT_MAX, LeadingInt("2147483647"));
    EXPECT_EQ(INT_MAX, LeadingInt("2147483648"));
    EXPECT_EQ(INT_MIN, LeadingInt("-2147483648"));
    EXPECT_EQ(INT_MIN, LeadingInt("-99999999999999999999999"));
}

TEST(TextRules, LastBackslashSkipsTrailBytes) {
    EXPECT_EQ(-1, FindLastBackslash("abc"));
    EXPECT_EQ(2, FindLastBackslash("C:\\x"));
    // "ソ" (0x83 0x5C) and "表" (0x95 0x5C) end in the backslash byte.
    EXPECT_EQ(2, FindLastBackslash("C:\\ソ表.ico"));
    EXPECT_EQ(7, FindLastBackslash("C:\\表ソ\\a"));
    EXPECT_EQ(-1, FindLastBackslash("表"));
}

TEST(TextRules, CutAtCharBoundaryNeverSplitsADoubleByteCharacter) {
    CString text = CString(std::string(254, 'a').c_str()) + "表表";
    EXPECT_EQ(254, CutAtCharBoundary(text, 255).GetLength());
    EXPECT_EQ(256, CutAtCharBoundary(text, 256).GetLength());
    EXPECT_EQ(3, CutAtCharBoundary("abc", 255).GetLength());
}

TEST(TextRules, FolderArgumentCleanUp) {
    EXPECT_STREQ("D:\\", CleanFolderArgument("D:\""));
    EXPECT_STREQ("D:\\", CleanFolderArgument("D:"));
    EXPECT_STREQ("C:\\My Folder", CleanFolderArgument("C:\\My Folder\""));
    EXPECT_STREQ("C:\\a", CleanFolderArgument("C:\\a"));
    EXPECT_STREQ("", CleanFolderArgument(""));
    EXPECT_STREQ("", CleanFolderArgument(nullptr));
}

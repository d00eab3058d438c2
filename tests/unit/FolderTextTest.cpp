// The texts IconChange builds, and the system's wording of an error code.
#include "folder/FileSteps.h"
#include "folder/FolderText.h"

#include <gtest/gtest.h>

TEST(FolderText, CopyNameStartsAtTheRealLastBackslash) {
    EXPECT_STREQ("\\fld01.ico", IconCopyName("D:\\icons\\fld01.ico"));
    EXPECT_STREQ("\\表ソ.ico", IconCopyName("D:\\ソ表\\表ソ.ico")); // trail bytes 0x5C
    EXPECT_STREQ("\\ソ.ico", IconCopyName("ソ.ico"));
    EXPECT_STREQ("", IconCopyName(""));
    EXPECT_STREQ("表ソ.ico", IconCopyReference("\\表ソ.ico"));
    EXPECT_STREQ("D:\\\\desktop.ini", DesktopIniPath("D:\\"));
}

TEST(FolderText, EveryLineBreakBecomesOneBlank) {
    EXPECT_STREQ("a b c d  e", OneLineValue("a\r\nb\rc\nd\n\re"));
    EXPECT_STREQ("表ソ", OneLineValue("表ソ"));
}

TEST(FolderText, SystemTextOrTheCodesNumber) {
    EXPECT_STREQ("アクセスが拒否されました。\r\n", SystemErrorText(ERROR_ACCESS_DENIED));
    EXPECT_STREQ("536870913", SystemErrorText(0x20000001));
}

// The settings sheet's page templates, compiled from the resource script.
#include "res/resource.h"
#include "support/DialogTemplate.h"

#include <gtest/gtest.h>

namespace {
void ExpectPage(int templateId, const char* caption, const std::vector<ExpectedItem>& expected) {
    DialogTemplate page = LoadDialogTemplate(templateId);
    ASSERT_TRUE(page.found);
    // Child, disabled, captioned, font set: the sheet shows the caption as the tab.
    EXPECT_EQ(0x48C00040u, page.style);
    EXPECT_EQ(0u, page.exStyle);
    EXPECT_EQ(0, page.x);
    EXPECT_EQ(0, page.y);
    EXPECT_EQ(195, page.cx);
    EXPECT_EQ(127, page.cy);
    EXPECT_EQ(caption, page.title);
    EXPECT_EQ(9, page.pointSize);
    EXPECT_EQ("ＭＳ Ｐゴシック", page.typeface);
    ExpectItems(page, expected);
}

const DWORD kIcon = 0x50000003;      // SS_ICON
const DWORD kShort = 0x50810080;     // border, tab stop, ES_AUTOHSCROLL
const DWORD kLong = kShort | 0x0800; // ES_READONLY

TEST(PropPagesTemplate, IconSettingsPage) {
    ExpectPage(IDD_PROPPAGE1, "アイコンの設定",
               {
                   {1018, "Static", "", 5, 10, 20, 20, kIcon},
                   {1019, "Static", "", 5, 25, 20, 20, kIcon},
                   {1020, "Static", "", 5, 41, 20, 20, kIcon},
                   {1021, "Static", "", 5, 57, 20, 20, kIcon},
                   {1022, "Static", "", 5, 73, 20, 20, kIcon},
                   {1023, "Static", "", 5, 89, 20, 20, kIcon},
                   {1024, "Static", "", 5, 105, 20, 20, kIcon},
                   {1017, "Edit", "", 19, 10, 40, 14, kShort},
                   {1025, "Edit", "", 19, 26, 40, 14, kShort},
                   {1026, "Edit", "", 19, 42, 40, 14, kShort},
                   {1027, "Edit", "", 19, 58, 40, 14, kShort},
                   {1028, "Edit", "", 19, 74, 40, 14, kShort},
                   {1029, "Edit", "", 19, 90, 40, 14, kShort},
                   {1030, "Edit", "", 19, 106, 40, 14, kShort},
                   {1031, "Edit", "", 65, 10, 90, 14, kLong},
                   {1032, "Edit", "", 65, 26, 90, 14, kLong},
                   {1033, "Edit", "", 65, 42, 90, 14, kLong},
                   {1034, "Edit", "", 65, 58, 90, 14, kLong},
                   {1035, "Edit", "", 65, 74, 90, 14, kLong},
                   {1036, "Edit", "", 65, 90, 90, 14, kLong},
                   {1037, "Edit", "", 65, 106, 90, 14, kLong},
                   {1040, "Button", "変更...", 160, 10, 30, 14, 0x50010000},
               });
}

TEST(PropPagesTemplate, OtherPage) {
    ExpectPage(IDD_PROPPAGE2, "その他",
               {
                   {1018, "Static", "", 5, 5, 20, 20, kIcon},
                   {1019, "Static", "", 5, 19, 20, 20, kIcon},
                   {1020, "Static", "", 5, 33, 20, 20, kIcon},
                   {1021, "Static", "", 5, 47, 20, 20, kIcon},
                   {1022, "Static", "", 5, 61, 20, 20, kIcon},
                   {1023, "Static", "", 5, 75, 18, 21, kIcon},
                   {1024, "Static", "", 5, 90, 20, 20, kIcon},
               });
}
} // namespace

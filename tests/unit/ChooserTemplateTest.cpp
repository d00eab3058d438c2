// The chooser's template, compiled from the resource script.
#include "res/resource.h"
#include "support/DialogTemplate.h"

#include <gtest/gtest.h>

TEST(ChooserTemplate, MatchesTheLayout) {
    DialogTemplate dialog = LoadDialogTemplate(IDD_SELECT);
    ASSERT_TRUE(dialog.found);
    EXPECT_EQ(0x900010C2u, dialog.style);
    EXPECT_EQ(0x00040000u, dialog.exStyle);
    EXPECT_EQ(0, dialog.x);
    EXPECT_EQ(0, dialog.y);
    EXPECT_EQ(75, dialog.cx);
    EXPECT_EQ(160, dialog.cy);
    EXPECT_EQ("", dialog.title);
    EXPECT_EQ(9, dialog.pointSize);
    EXPECT_EQ("ＭＳ Ｐゴシック", dialog.typeface);

    const DWORD label = 0x5002030C, icon = 0x50000003;
    const std::vector<ExpectedItem> expected = {
        {1003, "Static", "標準", 18, 2, 55, 12, label},
        {1006, "Static", "必須", 18, 20, 55, 13, label},
        {1007, "Static", "重要", 18, 34, 55, 13, label},
        {1008, "Static", "進行中", 18, 48, 55, 13, label},
        {1009, "Static", "未処理", 18, 62, 55, 13, label},
        {1010, "Static", "個人用", 18, 76, 55, 13, label},
        {1011, "Static", "計画1", 18, 90, 55, 13, label},
        {1012, "Static", "計画2", 18, 104, 55, 13, label},
        {1013, "Static", "その他...", 18, 118, 55, 13, label},
        {1016, "Static", "", 4, 1, 20, 20, icon},
        {1017, "Static", "", 4, 21, 20, 20, icon},
        {1018, "Static", "", 4, 35, 20, 20, icon},
        {1019, "Static", "", 4, 49, 20, 20, icon},
        {1020, "Static", "", 4, 63, 20, 20, icon},
        {1021, "Static", "", 4, 77, 20, 20, icon},
        {1022, "Static", "", 4, 91, 20, 20, icon},
        {1023, "Static", "", 4, 105, 20, 20, icon},
        {1024, "Static", "", 4, 119, 20, 20, icon},
        {1025, "Static", "設定...", 18, 131, 55, 13, 0x5802030C},
        {1026, "Static", "ｷｬﾝｾﾙ", 18, 144, 55, 13, label},
    };
    ExpectItems(dialog, expected);
}

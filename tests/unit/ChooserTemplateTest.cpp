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
    struct Item {
        DWORD id;
        const char* text;
        short x, y, cx, cy;
        DWORD style;
    } expected[] = {
        {1003, "標準", 18, 2, 55, 12, label},       {1006, "必須", 18, 20, 55, 13, label},
        {1007, "重要", 18, 34, 55, 13, label},      {1008, "進行中", 18, 48, 55, 13, label},
        {1009, "未処理", 18, 62, 55, 13, label},    {1010, "個人用", 18, 76, 55, 13, label},
        {1011, "計画1", 18, 90, 55, 13, label},     {1012, "計画2", 18, 104, 55, 13, label},
        {1013, "その他...", 18, 118, 55, 13, label}, {1016, "", 4, 1, 20, 20, icon},
        {1017, "", 4, 21, 20, 20, icon},            {1018, "", 4, 35, 20, 20, icon},
        {1019, "", 4, 49, 20, 20, icon},            {1020, "", 4, 63, 20, 20, icon},
        {1021, "", 4, 77, 20, 20, icon},            {1022, "", 4, 91, 20, 20, icon},
        {1023, "", 4, 105, 20, 20, icon},           {1024, "", 4, 119, 20, 20, icon},
        {1025, "設定...", 18, 131, 55, 13, 0x5802030C}, {1026, "ｷｬﾝｾﾙ", 18, 144, 55, 13, label},
    };
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), dialog.items.size());
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(expected[i].id, item.id);
        EXPECT_EQ(0, _stricmp("Static", item.className.c_str())) << item.className;
        EXPECT_EQ(expected[i].text, item.text);
        EXPECT_EQ(expected[i].style, item.style);
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(expected[i].x, item.x);
        EXPECT_EQ(expected[i].y, item.y);
        EXPECT_EQ(expected[i].cx, item.cx);
        EXPECT_EQ(expected[i].cy, item.cy);
    }
}

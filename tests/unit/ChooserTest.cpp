// The popup run in this process, driven from a second thread, and the
// message maps that bind its rows.
#include "app/Settings.h"
#include "framework/App.h"
#include "res/resource.h"
#include "support/Desktop.h"
#include "ui/PopupPlacement.h"
#include "ui/PropPage1.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {
const int kLabels[] = {IDC_STANDARD, IDC_SLOT1, IDC_SLOT2, IDC_SLOT3,    IDC_SLOT4,      IDC_SLOT5,
                       IDC_SLOT6,    IDC_SLOT7, IDC_OTHER, IDC_SETTINGS, IDC_CANCEL_ITEM};

HICON IconOf(HWND dialog, int id) {
    return (HICON)SendDlgItemMessageA(dialog, id, STM_GETICON, 0, 0);
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

class Chooser : public ::testing::Test {
  protected:
    void SetUp() override {
        g_arrIconPath.SetSize(IconSlot::Count);
        g_strTargetFolder = m_dir / "target";
        CreateDirectoryA(g_strTargetFolder, nullptr);
        g_bIconCopy = g_bTipDelete = false;
    }
    CWinApp m_app{"Vorelkin"};
    TempDir m_dir;
};

// Slots 2, 4 and 6 name files that hold no icon; the others this test
// program, which carries the application icon.
TEST_F(Chooser, RowsAfterEveryPaint) {
    WriteBytes(m_dir / "empty.ico", "");
    WriteBytes(m_dir / "text.ico", "not an icon\r\n");
    const CString paths[] = {"",
                             AfxGetModulePath(),
                             m_dir / "missing.ico",
                             AfxGetModulePath(),
                             m_dir / "empty.ico",
                             AfxGetModulePath(),
                             m_dir / "text.ico",
                             AfxGetModulePath()};
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot] = paths[slot];
        g_nIconIndex[slot] = 0;
    }
    CSelectDlg chooser(nullptr);
    INT_PTR result = RunDriven(chooser, [] {
        HWND window = WaitForChooser(0);
        ASSERT_TRUE(window);
        ASSERT_TRUE(WaitFor([&] { return IconOf(window, IDC_ICON_SLOT7) != nullptr; }));
        const char* texts[] = {"標準",  "必須",  "重要",   "進行中",  "未処理", "個人用",
                               "計画1", "計画2", "その他", "設定...", "ｷｬﾝｾﾙ"};
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(texts[i], TextOf(GetDlgItem(window, kLabels[i])));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_SETTINGS)));
        EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
        // No icon place, even an empty one, covers a row's text.
        for (int icon = IDC_ICON_STANDARD; icon <= IDC_ICON_OTHER; ++icon) {
            EXPECT_EQ(icon == IDC_ICON_SLOT1 || icon == IDC_ICON_SLOT3 || icon == IDC_ICON_SLOT5 ||
                          icon == IDC_ICON_SLOT7,
                      IconOf(window, icon) != nullptr)
                << icon;
            for (int label : kLabels) {
                RECT a = ScreenRect(window, icon), b = ScreenRect(window, label), overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &a, &b)) << icon << " over " << label;
            }
        }
        // Each paint shows new icons and destroys those it replaces.
        for (int paint = 0; paint < 20; ++paint) {
            HICON before = IconOf(window, IDC_ICON_SLOT3);
            InvalidateRect(window, nullptr, TRUE);
            ASSERT_TRUE(WaitFor([&] { return IconOf(window, IDC_ICON_SLOT3) != before; }));
            EXPECT_FALSE(IsLiveIcon(before)) << paint;
            EXPECT_TRUE(IsLiveIcon(IconOf(window, IDC_ICON_SLOT3))) << paint;
        }
        // A paint sent when nothing is left to paint redraws no row: the bar stays.
        HICON shown = IconOf(window, IDC_ICON_SLOT3);
        SendMessageA(window, WM_PAINT, 0, 0);
        EXPECT_EQ(shown, IconOf(window, IDC_ICON_SLOT3));
        PostClick(window, IDC_CANCEL_ITEM);
    });
    EXPECT_EQ(IDCANCEL, result);
}

// Each row applies its own slot after the prompt, pre-filled with the
// folder's description; "標準" asks nothing; a cancelled prompt and
// "ｷｬﾝｾﾙ" write nothing.
TEST_F(Chooser, EachRowDoesItsOwnWork) {
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot] = "C:\\slot" + CString::FromInt(slot) + ".ico";
        g_nIconIndex[slot] = 40 + slot;
    }
    const std::string before = "[.ShellClassInfo]\r\nInfoTip=前の説明\r\n";
    auto applied = [&](int slot) {
        return before + "ConfirmFileOp=0\r\nIconFile=C:\\slot" + std::to_string(slot) +
               ".ico\r\nIconIndex=" + std::to_string(40 + slot) + "\r\n";
    };
    // The row clicked, the prompt's answer (0: no prompt comes), the result.
    const std::tuple<int, int, int, INT_PTR, std::string> rows[] = {
        {__LINE__, IDC_SLOT1, IDOK, IDOK, applied(1)},
        {__LINE__, IDC_SLOT2, IDOK, IDOK, applied(2)},
        {__LINE__, IDC_SLOT3, IDOK, IDOK, applied(3)},
        {__LINE__, IDC_SLOT4, IDOK, IDOK, applied(4)},
        {__LINE__, IDC_SLOT5, IDOK, IDOK, applied(5)},
        {__LINE__, IDC_SLOT6, IDOK, IDOK, applied(6)},
        {__LINE__, IDC_SLOT7, IDOK, IDOK, applied(7)},
        {__LINE__, IDC_STANDARD, 0, IDOK,
         before + "ConfirmFileOp=0\r\nIconFile=\r\nIconIndex=0\r\n"},
        {__LINE__, IDC_SLOT1, IDCANCEL, IDCANCEL, before},
        {__LINE__, IDC_CANCEL_ITEM, 0, IDCANCEL, before},
    };
    for (const auto& [line, clicked, reply, expected, after] : rows) {
        SCOPED_TRACE(line);
        const int row = clicked, answer = reply; // for the driver to take
        const CString ini = g_strTargetFolder + "\\desktop.ini";
        ASSERT_TRUE(WriteBytes(ini, before));
        CSelectDlg chooser(nullptr);
        INT_PTR result = RunDriven(chooser, [&] {
            HWND window = WaitForChooser(0);
            ASSERT_TRUE(window);
            PostClick(window, row);
            if (!answer)
                return;
            HWND prompt = WaitForPrompt(0);
            ASSERT_TRUE(prompt);
            EXPECT_EQ("前の説明", TextOf(GetDlgItem(prompt, IDC_COMMENT)));
            EXPECT_EQ(GetDlgItem(prompt, IDOK), FocusOf(prompt));
            PostClick(prompt, answer);
            if (answer == IDCANCEL) { // the popup stays for another choice
                ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }));
                EXPECT_TRUE(IsWindowVisible(window));
                PostClick(window, IDC_CANCEL_ITEM);
            }
        });
        EXPECT_EQ(expected, result);
        EXPECT_EQ(after, ReadBytes(ini));
    }
}

// The template's place stays while it is inside with the pointer on it; else
// the corner goes to the pointer, on the side where the popup fits.
TEST(Placement, InsideTheWorkAreaAsAContextMenu) {
    const RECT screen = {0, 0, 1280, 1024}, leftMonitor = {-1280, 0, 0, 1024};
    // The pointer, where the template put the popup, the work area, the place.
    const std::tuple<int, POINT, RECT, RECT, RECT> rows[] = {
        {__LINE__, {400, 300}, {400, 300, 537, 566}, screen, {400, 300, 537, 566}},
        {__LINE__, {400, 300}, {332, 167, 469, 433}, screen, {332, 167, 469, 433}},
        {__LINE__, {0, 0}, {-68, -133, 69, 133}, screen, {0, 0, 137, 266}},
        {__LINE__, {1200, 500}, {1140, 500, 1277, 766}, screen, {1140, 500, 1277, 766}},
        {__LINE__, {1279, 1023}, {1140, 755, 1277, 1021}, screen, {1142, 757, 1279, 1023}},
        // The taskbar below (the pointer on it), on the left, at the top.
        {__LINE__, {600, 1000}, {532, 867, 669, 1133}, {0, 0, 1280, 984}, {600, 718, 737, 984}},
        {__LINE__, {10, 300}, {10, 300, 147, 566}, {60, 0, 1280, 1024}, {60, 300, 197, 566}},
        {__LINE__, {500, 10}, {500, 10, 637, 276}, {0, 40, 1280, 1024}, {500, 40, 637, 306}},
        {__LINE__, {-1, 1023}, {-1, 1023, 136, 1289}, leftMonitor, {-138, 757, -1, 1023}},
    };
    for (const auto& [line, pointer, placed, workArea, expected] : rows) {
        RECT place = PlacePopup(placed, pointer, workArea);
        EXPECT_TRUE(EqualRect(&expected, &place)) << line;
    }
}

// A click entry matches the notification code as well as the id: the
// sheet's second row field has the id of the popup's "設定...".
TEST(MessageMap, ClickEntriesMatchTheNotificationCode) {
    CSelectDlg chooser(nullptr);
    EXPECT_TRUE(chooser.HandlesCommand(IDC_SETTINGS, STN_CLICKED));
    EXPECT_FALSE(chooser.HandlesCommand(IDC_ROW_TEXT2, EN_CHANGE));
    EXPECT_FALSE(chooser.HandlesCommand(IDC_OTHER, EN_UPDATE));
    CPropPage1 page;
    EXPECT_TRUE(page.HandlesCommand(IDC_CHANGE_ICON, BN_CLICKED));
    EXPECT_FALSE(page.HandlesCommand(IDC_CHANGE_ICON, EN_CHANGE));
}
} // namespace

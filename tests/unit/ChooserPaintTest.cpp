// The chooser run in-process: what its paint does to the icon handles.
#include "app/Settings.h"
#include "framework/App.h"
#include "res/resource.h"
#include "support/Driver.h"
#include "support/InProcess.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {
std::vector<HICON> SlotIcons(HWND chooser) {
    std::vector<HICON> icons;
    for (int id = IDC_ICON_SLOT1; id <= IDC_ICON_SLOT7; ++id)
        icons.push_back((HICON)SendDlgItemMessageA(chooser, id, STM_GETICON, 0, 0));
    return icons;
}

bool IsLiveIcon(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return true;
}

TEST(ChooserPaint, EachPaintReplacesTheSlotIconsAndDestroysTheOldOnes) {
    // This test program carries the application icon: a file every slot can use.
    g_arrIconPath.SetSize(IconSlot::Count);
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        g_arrIconPath[slot] = AfxGetModulePath();
        g_nIconIndex[slot] = 0;
    }
    CSelectDlg chooser(nullptr);
    RunDriven(chooser, [] {
        HWND window = WaitForChooser(0);
        ASSERT_TRUE(window);
        std::vector<HICON> shown;
        ASSERT_TRUE(WaitFor([&] {
            shown = SlotIcons(window);
            return std::find(shown.begin(), shown.end(), nullptr) == shown.end();
        }));
        EXPECT_FALSE(SendDlgItemMessageA(window, IDC_ICON_STANDARD, STM_GETICON, 0, 0));
        EXPECT_FALSE(SendDlgItemMessageA(window, IDC_ICON_OTHER, STM_GETICON, 0, 0));

        for (int paint = 0; paint < 40; ++paint) {
            std::vector<HICON> before = shown;
            InvalidateRect(window, nullptr, TRUE);
            ASSERT_TRUE(WaitFor([&] {
                shown = SlotIcons(window);
                for (size_t i = 0; i < shown.size(); ++i) {
                    if (shown[i] == before[i])
                        return false;
                }
                return true;
            }));
            for (size_t i = 0; i < before.size(); ++i) {
                EXPECT_FALSE(IsLiveIcon(before[i])) << "slot " << i + 1 << " paint " << paint;
                EXPECT_TRUE(IsLiveIcon(shown[i])) << "slot " << i + 1 << " paint " << paint;
            }
        }
        PostClick(window, IDC_CANCEL_ITEM);
    });
}
} // namespace

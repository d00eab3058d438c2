// The popup and the description prompt driven end to end on a real folder:
// the rows, the hover bar, every way to choose, confirm or cancel.
#include "app/Settings.h"
#include "res/resource.h"
#include "support/IniLines.h"
#include "support/Install.h"

#include "framework/Scoped.h"

#include <gtest/gtest.h>

#include <psapi.h>

namespace {
using Lines = std::vector<std::string>;

const int kLabels[] = {IDC_STANDARD, IDC_SLOT1, IDC_SLOT2, IDC_SLOT3,    IDC_SLOT4,      IDC_SLOT5,
                       IDC_SLOT6,    IDC_SLOT7, IDC_OTHER, IDC_SETTINGS, IDC_CANCEL_ITEM};

POINT Centre(HWND chooser, int id) {
    RECT rect = ScreenRect(chooser, id);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

COLORREF PixelAt(POINT at) {
    return ScreenPixel(at.x, at.y);
}

// A slot's setting as start-up wrote it into vrkcfg.ini.
std::string Setting(const Install& install, const char* key) {
    CString value;
    GetStringINI(install.Ini(), "IconPath", key, value);
    return std::string(value);
}

std::string DesktopIni(const Install& install) {
    return ReadBytes(install.Target() + "\\desktop.ini");
}

class Chooser : public ::testing::Test {
  protected:
    Chooser() : m_install(true) {}

    HWND Launch() {
        MovePointer(300, 200);
        HWND chooser = m_install.LaunchOnTarget(m_process);
        if (chooser && !WaitForFirstPaint(chooser))
            return nullptr;
        return chooser;
    }
    // Clicks a row and waits for the description prompt it opens.
    HWND OpenPrompt(HWND chooser, int row) {
        ClickControl(chooser, row);
        return WaitForPrompt(m_process.Id());
    }
    void ClickOkAndExpectTheEnd(HWND prompt) {
        ClickControl(prompt, IDOK);
        EXPECT_EQ(0u, m_process.WaitExit());
    }
    void ExpectMarked() {
        EXPECT_TRUE(Attributes(m_install.Target()) & FILE_ATTRIBUTE_SYSTEM);
        EXPECT_TRUE(Attributes(m_install.Target() + "\\desktop.ini") & FILE_ATTRIBUTE_HIDDEN);
    }

    Install m_install;
    Process m_process;
};

TEST_F(Chooser, RowsShowTheirTextsAndOnlyTheSlotRowsAnIcon) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    const char* texts[] = {"標準",  "必須",  "重要",   "進行中",  "未処理", "個人用",
                           "計画1", "計画2", "その他", "設定...", "ｷｬﾝｾﾙ"};
    for (size_t i = 0; i < 11; ++i)
        EXPECT_EQ(texts[i], TextOf(GetDlgItem(chooser, kLabels[i])));

    for (int id = IDC_ICON_SLOT1; id <= IDC_ICON_SLOT7; ++id)
        EXPECT_TRUE(SendDlgItemMessageA(chooser, id, STM_GETICON, 0, 0)) << id;
    EXPECT_FALSE(SendDlgItemMessageA(chooser, IDC_ICON_STANDARD, STM_GETICON, 0, 0));
    EXPECT_FALSE(SendDlgItemMessageA(chooser, IDC_ICON_OTHER, STM_GETICON, 0, 0));

    // No icon control, not even an empty one, covers the text of a row.
    for (int icon = IDC_ICON_STANDARD; icon <= IDC_ICON_OTHER; ++icon) {
        for (int label : kLabels) {
            RECT a = ScreenRect(chooser, icon), b = ScreenRect(chooser, label), overlap;
            EXPECT_FALSE(IntersectRect(&overlap, &a, &b)) << icon << " over " << label;
        }
    }
}

TEST_F(Chooser, HoverBarFollowsThePointerRowByRowAndLeavesOverAnIcon) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF barText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    POINT required = Centre(chooser, IDC_SLOT1), important = Centre(chooser, IDC_SLOT2);
    // The popup's own background, just left of an icon.
    RECT icon = ScreenRect(chooser, IDC_ICON_SLOT1);
    const COLORREF background = ScreenPixel(icon.left - 2, icon.top);
    ASSERT_NE(bar, background);
    MoveToControl(chooser, IDC_ICON_SLOT3);
    ASSERT_TRUE(WaitFor([&] { return PixelAt(required) == background; }));

    MovePointer(required.x, required.y);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(required) == bar; }));
    // The row's text is drawn over the bar in the highlight text colour.
    RECT row = ScreenRect(chooser, IDC_SLOT1);
    bool textSeen = false;
    for (int x = row.left; x < required.x && !textSeen; ++x)
        textSeen = ScreenPixel(x, required.y) == barText;
    EXPECT_TRUE(textSeen);

    MovePointer(important.x, important.y);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(important) == bar; }));
    EXPECT_EQ(background, PixelAt(required));

    // Over an icon no row is highlighted.
    MoveToControl(chooser, IDC_ICON_SLOT3);
    EXPECT_TRUE(WaitFor([&] { return PixelAt(important) == background; }));
}

// The common controls the manifest asks for, as the running program loaded
// them: Wine, like Windows, takes version 6 from its side-by-side store.
bool LoadedCommonControls6(DWORD pid) {
    ScopedKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!process.IsValid() || !EnumProcessModules(process, modules, sizeof(modules), &bytes))
        return false;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        char path[MAX_PATH] = "";
        GetModuleFileNameExA(process, modules[i], path, sizeof(path));
        CString lower = path;
        CharLowerA(lower.GetBuffer(lower.GetLength()));
        if (strstr(lower, "common-controls") && strstr(lower, "_6.0."))
            return true;
    }
    return false;
}

// Wine's default prefix runs its own visual style ("Light"), so with the
// manifest's common controls this is the popup as a themed system draws it:
// the bar still covers the whole row, and the row's text starts at its top
// left, 3 pixels down, not centred as the unhovered rows are.
TEST_F(Chooser, WithVisualStylesTheBarFillsTheRowAndItsTextStartsAtTheTopLeft) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    EXPECT_TRUE(LoadedCommonControls6(m_process.Id()));
    const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF barText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    POINT important = Centre(chooser, IDC_SLOT2);
    MovePointer(important.x, important.y);
    ASSERT_TRUE(WaitFor([&] { return PixelAt(important) == bar; }));

    RECT row = ScreenRect(chooser, IDC_SLOT2);
    const int width = row.right - row.left, height = row.bottom - row.top;
    auto at = [&](int x, int y) { return ScreenPixel(row.left + x, row.top + y); };
    for (int x = 0; x < width; ++x) {
        for (int y : {0, 1, 2, height - 1})
            ASSERT_EQ(bar, at(x, y)) << x << ", " << y;
    }
    for (int y = 0; y < height; ++y) {
        ASSERT_EQ(bar, at(0, y)) << y;
        ASSERT_EQ(bar, at(width - 1, y)) << y;
    }
    // The first text column lies within a character's side bearing of x = 0.
    int firstText = width;
    for (int x = 0; x < width && firstText == width; ++x) {
        for (int y = 3; y < height && firstText == width; ++y) {
            if (at(x, y) == barText)
                firstText = x;
        }
    }
    EXPECT_LE(firstText, 3);
}

class SlotRow : public Chooser, public ::testing::WithParamInterface<int> {};

TEST_P(SlotRow, AsksForTheDescriptionThenGivesTheFolderTheSlotIcon) {
    const int slot = GetParam();
    const std::string number = std::to_string(slot);
    // A distinct index per slot, so a row bound to the wrong slot shows.
    ASSERT_TRUE(WriteBytes(m_install.Ini(), "[IconPath]\r\nICON_INDEX_" + number + "=" +
                                                std::to_string(40 + slot) + "\r\n"));
    const std::string tip = "説明" + number;
    ASSERT_TRUE(WriteBytes(m_install.Target() + "\\desktop.ini",
                           "[.ShellClassInfo]\r\nInfoTip=" + tip + "\r\n"));
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);

    HWND prompt = OpenPrompt(chooser, IDC_SLOT1 + slot - 1);
    ASSERT_TRUE(prompt);
    EXPECT_EQ(tip, std::string(ControlText(GetDlgItem(prompt, IDC_COMMENT))));
    // The focus is on OK: Enter keeps the description as it was.
    EXPECT_EQ(GetDlgItem(prompt, IDOK), FocusOf(prompt));
    SetForegroundWindow(prompt);
    PressKey(VK_RETURN);
    EXPECT_EQ(0u, m_process.WaitExit());

    const std::string path = Setting(m_install, ("PATH_" + number).c_str());
    ASSERT_NE("", path);
    Lines expected = {"[.ShellClassInfo]", "InfoTip=" + tip, "ConfirmFileOp=0", "IconFile=" + path,
                      "IconIndex=" + std::to_string(40 + slot)};
    EXPECT_EQ(expected, IniLines(DesktopIni(m_install)));
    ExpectMarked();
}

INSTANTIATE_TEST_SUITE_P(EverySlot, SlotRow, ::testing::Range(1, 8));

TEST_F(Chooser, TypedDescriptionMarksAFolderWithoutDesktopIni) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    HWND prompt = OpenPrompt(chooser, IDC_SLOT2);
    ASSERT_TRUE(prompt);
    EXPECT_EQ("", ControlText(GetDlgItem(prompt, IDC_COMMENT)));
    ASSERT_TRUE(ClickIntoField(prompt, IDC_COMMENT));
    TypeText("abc");
    ASSERT_TRUE(WaitFor([&] { return ControlText(GetDlgItem(prompt, IDC_COMMENT)) == "abc"; }));
    ClickOkAndExpectTheEnd(prompt);

    Lines expected = {"[.ShellClassInfo]", "ConfirmFileOp=0",
                      "IconFile=" + Setting(m_install, "PATH_2"), "IconIndex=0", "InfoTip=abc"};
    EXPECT_EQ(expected, IniLines(DesktopIni(m_install)));
    ExpectMarked();
}

TEST_F(Chooser, CancelledPromptsLeaveEverythingThenStandardResetsWithoutAsking) {
    const std::string before =
        "[.ShellClassInfo]\r\nIconFile=x.ico\r\nIconIndex=3\r\nInfoTip=keep\r\n";
    ASSERT_TRUE(WriteBytes(m_install.Target() + "\\desktop.ini", before));
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);

    // ｷｬﾝｾﾙ, Esc and the close box each return to the popup.
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        HWND prompt = OpenPrompt(chooser, IDC_SLOT1 + way);
        ASSERT_TRUE(prompt);
        SetWindowTextA(GetDlgItem(prompt, IDC_COMMENT), "捨てる");
        if (way == 0) {
            ClickControl(prompt, IDCANCEL);
        } else if (way == 1) {
            SetForegroundWindow(prompt);
            PressKey(VK_ESCAPE);
        } else {
            PostMessageA(prompt, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }));
        EXPECT_TRUE(IsWindowVisible(chooser));
        EXPECT_EQ(before, DesktopIni(m_install));
    }

    // No prompt: the program ends at once.
    ClickControl(chooser, IDC_STANDARD);
    EXPECT_EQ(0u, m_process.WaitExit());
    Lines expected = {"[.ShellClassInfo]", "IconFile=", "IconIndex=0", "InfoTip=keep",
                      "ConfirmFileOp=0"};
    EXPECT_EQ(expected, IniLines(DesktopIni(m_install)));
    ExpectMarked();
}

TEST_F(Chooser, DescriptionOver255BytesIsRefusedAnd255Pass) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    HWND prompt = OpenPrompt(chooser, IDC_SLOT3);
    ASSERT_TRUE(prompt);
    HWND edit = GetDlgItem(prompt, IDC_COMMENT);

    // WM_SETTEXT is not held to the edit's limit, as a paste of double-byte text
    // can get past it.
    SetWindowTextA(edit, Repeat("あ", 128).c_str());
    ClickControl(prompt, IDOK);
    BoxInfo box;
    ASSERT_TRUE(AnswerBox(m_process.Id(), box));
    EXPECT_EQ("255 文字以内で入力してください。", box.text);
    EXPECT_EQ("Vorelkin", box.caption);
    EXPECT_TRUE(IsWindowVisible(prompt));
    EXPECT_TRUE(WaitFor([&] { return FocusOf(prompt) == edit; }));
    EXPECT_FALSE(FileExists(m_install.Target() + "\\desktop.ini"));

    const std::string longest = Repeat("あ", 127) + "z";
    SetWindowTextA(edit, longest.c_str());
    ClickOkAndExpectTheEnd(prompt);
    EXPECT_NE(std::string::npos, DesktopIni(m_install).find("InfoTip=" + longest + "\r\n"));
}

TEST_F(Chooser, FailedApplyShowsItsReportsThenTheSummaryAndCloses) {
    RemoveTree(m_install.Target()); // nothing can be written there
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    HWND prompt = OpenPrompt(chooser, IDC_SLOT4);
    ASSERT_TRUE(prompt);
    ClickControl(prompt, IDOK);

    std::vector<BoxInfo> boxes;
    for (int i = 0; i < 12; ++i) {
        BoxInfo box;
        if (!AnswerBox(m_process.Id(), box))
            break;
        boxes.push_back(box);
        if (box.text == "アイコンの変更に失敗しました")
            break;
    }
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ("ConfirmFileOpのｴﾗｰですSetStringINI", boxes.front().text);
    EXPECT_EQ("アイコンの変更に失敗しました", boxes.back().text);
    EXPECT_EQ("Vorelkin", boxes.back().caption);
    EXPECT_EQ(0u, m_process.WaitExit());
    EXPECT_FALSE(FileExists(m_install.Target()));
}

TEST_F(Chooser, DisabledSettingsItemIgnoresAClick) {
    HWND chooser = Launch();
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_SETTINGS);
    // Had the click opened anything, the next one would not reach the popup.
    ClickControl(chooser, IDC_CANCEL_ITEM);
    EXPECT_EQ(0u, m_process.WaitExit());
    EXPECT_FALSE(FileExists(m_install.Target() + "\\desktop.ini"));
}
} // namespace

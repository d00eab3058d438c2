// The popup run in this process, driven from a second thread, and the
// message maps that bind its rows.
#include "base/Settings.h"
#include "framework/App.h"
#include "res/resource.h"
#include "support/Desktop.h"
#include "popup/PopupPlacement.h"
#include "popup/CommentDlg.h"
#include "popup/PropPage1.h"
#include "popup/SelectDlg.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <imm.h>

#include <tuple>

namespace {
const int kLabels[] = {IDC_STANDARD, IDC_SLOT1, IDC_SLOT2, IDC_SLOT3,    IDC_SLOT4,      IDC_SLOT5,
                       IDC_SLOT6,    IDC_SLOT7, IDC_OTHER, IDC_SETTINGS, IDC_CANCEL_ITEM};

HICON IconOf(HWND dialog, int id) {
    return (HICON)SendDlgItemMessageA(dialog, id, STM_GETICON, 0, 0);
}

// Slots 2, 4 and 6 name files that hold no icon; the others this test
// program, which carries the application icon.
TEST(Chooser, RowsAfterEveryPaint) {
    CWinApp app("Vorelkin");
    TempDir dir;
    WriteBytes(dir / "empty.ico", "");
    WriteBytes(dir / "text.ico", "not an icon\r\n");
    const char* noIcon[] = {"missing.ico", "empty.ico", "text.ico"};
    g_arrIconPath.SetSize(IconSlot::Count);
    for (int slot = 1; slot < IconSlot::Count; ++slot)
        g_arrIconPath[slot] = slot % 2 ? AfxGetModulePath() : dir / noIcon[slot / 2 - 1];
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
        // The keys are the popup's, the IME in ひらがな mode or not.
        EXPECT_FALSE(ImmGetContext(window));
        EXPECT_FALSE(ImmGetContext(FocusOf(window)));
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
            EXPECT_FALSE(IconResourceId(before) >= 0) << paint;
            EXPECT_TRUE(IconResourceId(IconOf(window, IDC_ICON_SLOT3)) >= 0) << paint;
        }
        // A paint sent when nothing is left to paint redraws no row: the bar stays.
        HICON shown = IconOf(window, IDC_ICON_SLOT3);
        SendMessageA(window, WM_PAINT, 0, 0);
        EXPECT_EQ(shown, IconOf(window, IDC_ICON_SLOT3));
        PostClick(window, IDC_CANCEL_ITEM);
    });
    EXPECT_EQ(IDCANCEL, result);
}

// Three folders. Descriptions that differ open the prompt empty, with the
// hint, and an untouched OK keeps each, TIP_DELETE or not; a change, even
// back to empty, goes to every folder; a shared one is the pre-fill. The
// prompt keeps the IME.
TEST(Chooser, SeveralFoldersKeepTheirOwnDescriptionsUnlessThePromptIsChanged) {
    CWinApp app("Vorelkin");
    TempDir dir;
    g_bTipDelete = true;
    g_arrIconPath.SetSize(IconSlot::Count);
    using Three = std::array<const char*, 3>;
    // The descriptions before, the text the user leaves (null: none), after.
    const std::tuple<int, Three, const char*, Three> rows[] = {
        {__LINE__, {"一", "二", "三"}, nullptr, {"一", "二", "三"}},
        {__LINE__, {"一", "二", "三"}, "", {"", "", ""}},
        {__LINE__, {"同じ", "同じ", "同じ"}, nullptr, {"同じ", "同じ", "同じ"}},
    };
    for (const auto& [line, before, typed, after] : rows) {
        SCOPED_TRACE(line);
        const bool differ = strcmp(before[0], before[1]) != 0;
        g_targetFolders.Clear();
        for (int i = 0; i < 3; ++i) {
            CString folder = dir / CString::FromInt(line * 10 + i).GetString();
            CreateDirectoryA(folder, nullptr);
            WriteBytes(folder + "\\desktop.ini",
                       std::string("[.ShellClassInfo]\r\nInfoTip=") + before[i]);
            g_targetFolders.Add(WideText(folder));
        }
        g_strTargetFolder = g_targetFolders.Path(0);
        CSelectDlg chooser(nullptr);
        RunDriven(chooser, [&] {
            PostClick(WaitForChooser(0), IDC_SLOT1);
            HWND prompt = WaitForDialog(
                0, [](HWND w) { return TextOf(w) == "フォルダの説明を入力 (3 個のフォルダ)"; });
            HWND edit = GetDlgItem(prompt, IDC_COMMENT);
            EXPECT_STREQ(differ ? "" : before[0], TextOf(edit));
            wchar_t cue[64] = L"";
            SendMessageW(edit, EM_GETCUEBANNER, (WPARAM)cue, 64);
            EXPECT_STREQ(differ ? L"(それぞれの説明のまま)" : L"", cue);
            HIMC ime = ImmGetContext(edit);
            EXPECT_TRUE(ImmReleaseContext(edit, ime) && ime);
            if (typed) { // as typing leaves it
                SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)typed);
                SendMessageA(edit, EM_SETMODIFY, TRUE, 0);
            }
            PostClick(prompt, IDOK);
        });
        for (int i = 0; i < 3; ++i) {
            CString tip;
            GetStringINI(g_targetFolders.Path(i) + "\\desktop.ini", ".ShellClassInfo", "InfoTip",
                         tip);
            EXPECT_STREQ(after[i], tip) << i;
        }
    }
    g_targetFolders.Clear();
}

WNDPROC g_popupProc = nullptr;

LRESULT CALLBACK NeverTold(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_ACTIVATEAPP
               ? 0
               : CallWindowProcA(g_popupProc, window, message, wParam, lParam);
}

// A popup that opens without the foreground (the foreground lock) is never
// told of the activation; Wine gives every new window the foreground, so
// this one is kept from hearing that it lost it. A click on another
// program's window still ends it: on the program's own popup, another
// executable than this test.
TEST(Chooser, APopupNeverToldOfTheActivationEndsOnAClickElsewhere) {
    CWinApp app("Vorelkin");
    Install install;
    Process other;
    g_arrIconPath.SetSize(IconSlot::Count);
    CSelectDlg chooser(nullptr);
    RunDriven(chooser, [&] {
        HWND popup = WaitForChooser(0);
        ASSERT_TRUE(popup);
        g_popupProc = (WNDPROC)SetWindowLongPtrA(popup, GWLP_WNDPROC, (LONG_PTR)NeverTold);
        ASSERT_TRUE(install.Launch(other, ""));
        ClickControl(WaitForChooser(other.Id()), IDC_ICON_STANDARD); // a place that does nothing
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(popup); }, 3000));
    });
}

// Opened behind the window that holds the foreground, the popup stays until
// a button goes down outside it, there too: a click in that window changes
// no foreground. Wine gives every new window the foreground, so the popup
// takes the next program's new window for the one it opened behind.
TEST(Chooser, APopupOpenedBehindEndsOnAClickInTheWindowInFront) {
    struct Behind : CSelectDlg {
        Behind() : CSelectDlg(nullptr) {}
        bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
            HWND front = GetForegroundWindow();
            DWORD process = 0;
            GetWindowThreadProcessId(front, &process);
            if (message == WM_TIMER && !m_behind && process && process != GetCurrentProcessId())
                m_behind = m_hForegroundAtOpen = front;
            return CSelectDlg::OnDialogMessage(message, wParam, lParam, result);
        }
        HWND m_behind = nullptr;
    };
    CWinApp app("Vorelkin");
    Install install;
    Process other;
    g_arrIconPath.SetSize(IconSlot::Count);
    Behind chooser;
    RunDriven(chooser, [&] {
        HWND popup = WaitForChooser(0);
        ASSERT_TRUE(popup);
        ASSERT_TRUE(install.Launch(other, ""));
        HWND front = WaitForChooser(other.Id());
        ASSERT_TRUE(WaitFor([&] { return chooser.m_behind == front; }));
        EXPECT_FALSE(WaitFor([&] { return !IsWindow(popup); }, 500));
        RECT place = ScreenRect(front, IDC_ICON_STANDARD); // a place that does nothing
        MovePointer((place.left + place.right) / 2, (place.top + place.bottom) / 2);
        INPUT press = {INPUT_MOUSE, {}};
        press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &press, sizeof(press));
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(popup); }, 3000));
        press.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &press, sizeof(press));
    });
}

// A character CP932 cannot spell counts as its UTF-16 bytes.
TEST(Prompt, DescriptionBytes) {
    const std::tuple<int, const wchar_t*, int> rows[] = {{__LINE__, L"a", 1},
                                                         {__LINE__, L"森外", 4},
                                                         {__LINE__, L"森鷗外", 6},
                                                         {__LINE__, L"\U0001F600a", 5}};
    for (const auto& [line, text, bytes] : rows)
        EXPECT_EQ(bytes, DescriptionBytes(text)) << line;
}

// A stored description past the limit is offered cut at a whole character.
TEST(Prompt, LongerDescriptionsAreOfferedCut) {
    const std::wstring wide(200, L'あ'), ascii(300, L'a');
    const std::tuple<int, std::wstring, std::wstring> rows[] = {
        {__LINE__, L"短い", L"短い"},
        {__LINE__, ascii, ascii.substr(0, 255)},
        {__LINE__, wide, wide.substr(0, 127)},
        {__LINE__, L"a" + std::wstring(130, L'鷗'), L"a" + std::wstring(127, L'鷗')},
    };
    for (const auto& [line, text, cut] : rows)
        EXPECT_EQ(cut, std::wstring(CutDescription(text.c_str()))) << line;
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

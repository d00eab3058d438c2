// The settings sheet behind "設定...", which the popup keeps disabled: the
// tests enable the item from outside and click it.
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/IniLines.h"
#include "support/Install.h"
#include "support/OpenDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {
const int kTabControl = 0x3020;
const int kApplyButton = 0x3021;
const int kHelpButton = 9;
const int kShortFields[] = {IDC_ROW_TEXT1, IDC_ROW_TEXT2, IDC_ROW_TEXT3, IDC_ROW_TEXT4,
                            IDC_ROW_TEXT5, IDC_ROW_TEXT6, IDC_ROW_TEXT7};
const int kLongFields[] = {IDC_ROW_LONG1, IDC_ROW_LONG2, IDC_ROW_LONG3, IDC_ROW_LONG4,
                           IDC_ROW_LONG5, IDC_ROW_LONG6, IDC_ROW_LONG7};
const int kRowIcons[] = {IDC_ROW_ICON1, IDC_ROW_ICON2, IDC_ROW_ICON3, IDC_ROW_ICON4,
                         IDC_ROW_ICON5, IDC_ROW_ICON6, IDC_ROW_ICON7};

// Memory in the program's process, for the tab control's messages that
// carry pointers.
class RemoteMemory {
  public:
    RemoteMemory(DWORD pid, SIZE_T size)
        : m_process(
              OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)) {
        m_address = (char*)VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (m_address)
            VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    char* Address() const { return m_address; }
    bool Write(const void* data, SIZE_T size, SIZE_T offset = 0) {
        return WriteProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }
    bool Read(void* data, SIZE_T size, SIZE_T offset = 0) {
        return ReadProcessMemory(m_process, m_address + offset, data, size, nullptr);
    }

  private:
    ScopedKernelHandle m_process;
    char* m_address = nullptr;
};

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

CString TabText(HWND sheet, int index) {
    HWND tabs = GetDlgItem(sheet, kTabControl);
    RemoteMemory memory(ProcessOf(tabs), sizeof(TCITEMA) + 256);
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = memory.Address() + sizeof(item);
    item.cchTextMax = 256;
    char text[256] = "";
    if (!memory.Write(&item, sizeof(item)) ||
        !SendMessageA(tabs, TCM_GETITEMA, index, (LPARAM)memory.Address()) ||
        !memory.Read(text, sizeof(text) - 1, sizeof(item)))
        return "";
    return text;
}

void ClickTab(HWND sheet, int index) {
    HWND tabs = GetDlgItem(sheet, kTabControl);
    RemoteMemory memory(ProcessOf(tabs), sizeof(RECT));
    RECT rect = {};
    SendMessageA(tabs, TCM_GETITEMRECT, index, (LPARAM)memory.Address());
    memory.Read(&rect, sizeof(rect));
    MapWindowPoints(tabs, nullptr, (POINT*)&rect, 2);
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

int CurrentTab(HWND sheet) {
    return (int)SendMessageA(GetDlgItem(sheet, kTabControl), TCM_GETCURSEL, 0, 0);
}

HWND CurrentPage(HWND sheet) {
    return (HWND)SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
}

CString FieldText(HWND page, int id) {
    return ControlText(GetDlgItem(page, id));
}

// The icon control's pixels as they are on the screen.
std::vector<COLORREF> ScreenImage(HWND dialog, int id) {
    RECT rect = ScreenRect(dialog, id);
    std::vector<COLORREF> pixels;
    ScopedGetDC screen(nullptr);
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x)
            pixels.push_back(GetPixel(screen, x, y));
    }
    return pixels;
}

bool ShowsAnImage(const std::vector<COLORREF>& pixels) {
    return std::count(pixels.begin(), pixels.end(), pixels.front()) != (long)pixels.size();
}

// The control's image once the screen has shown an image there twice over,
// so a capture never catches a paint half done.
std::vector<COLORREF> SettledImage(HWND dialog, int id) {
    std::vector<COLORREF> last;
    WaitFor([&] {
        std::vector<COLORREF> now = ScreenImage(dialog, id);
        bool settled = ShowsAnImage(now) && now == last;
        last = now;
        return settled;
    });
    return last;
}

std::string IniValue(const std::string& iniBytes, const std::string& key) {
    for (const std::string& line : IniLines(iniBytes)) {
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    }
    return "(none)";
}

class SettingsSheet : public ::testing::Test {
  protected:
    SettingsSheet() : m_install(true) {}

    // Starts the program with these lines in its settings file, if any.
    void Start(const std::string& iniText = "") {
        if (!iniText.empty()) {
            ASSERT_TRUE(WriteBytes(m_install.Ini(), iniText));
        }
        m_chooser = m_install.LaunchOnTarget(m_process);
        ASSERT_TRUE(m_chooser);
    }

    HWND OpenSheet() {
        EnableWindow(GetDlgItem(m_chooser, IDC_SETTINGS), TRUE);
        ClickControl(m_chooser, IDC_SETTINGS);
        m_sheet = WaitForDialog(m_process.Id(), IsSheet);
        return m_sheet;
    }

    // Presses OK or Cancel of the sheet and waits until it has gone.
    bool CloseSheet(int button) {
        ClickControl(m_sheet, button);
        return WaitFor([&] { return !IsWindow(m_sheet); });
    }

    // Presses "変更..." and waits for the Open dialog.
    HWND OpenFileDialog() {
        ClickControl(CurrentPage(m_sheet), IDC_CHANGE_ICON);
        return WaitForOpenDialog(m_process.Id());
    }

    bool ChooseIconFile(const char* path) {
        HWND open = OpenFileDialog();
        if (!open)
            return false;
        ChooseFileName(open, path);
        return WaitFor([&] { return !IsWindow(open); });
    }

    // Ends the program from the popup's "ｷｬﾝｾﾙ", so the settings are written.
    void EndProgram() {
        ClickControl(m_chooser, IDC_CANCEL_ITEM);
        ASSERT_NE(STILL_ACTIVE, m_process.WaitExit());
    }

    static bool IsSheet(HWND window) { return TextOf(window) == "Vorelkinのプロパティ"; }

    Install m_install;
    Process m_process;
    HWND m_chooser = nullptr;
    HWND m_sheet = nullptr;
};

TEST_F(SettingsSheet, OpensOnTheIconPageWithEmptyFieldsAndTheSlotIcons) {
    Start();
    ASSERT_TRUE(OpenSheet());
    EXPECT_FALSE(IsWindowEnabled(m_chooser)); // modal over the popup
    ASSERT_EQ(2, SendMessageA(GetDlgItem(m_sheet, kTabControl), TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ("アイコンの設定", TabText(m_sheet, 0));
    EXPECT_EQ("その他", TabText(m_sheet, 1));
    EXPECT_EQ(0, CurrentTab(m_sheet));

    HWND page = CurrentPage(m_sheet);
    ASSERT_TRUE(page);
    for (int id : kShortFields) {
        EXPECT_EQ("", FieldText(page, id)) << id;
        EXPECT_EQ(16, SendMessageA(GetDlgItem(page, id), EM_GETLIMITTEXT, 0, 0)) << id;
    }
    for (int id : kLongFields)
        EXPECT_EQ("", FieldText(page, id)) << id;

    // Each row shows its own slot's icon.
    std::vector<std::vector<COLORREF>> rows;
    for (int id : kRowIcons) {
        ASSERT_TRUE(WaitFor([&] { return ShowsAnImage(ScreenImage(page, id)); })) << id;
        rows.push_back(ScreenImage(page, id));
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t j = i + 1; j < rows.size(); ++j)
            EXPECT_NE(rows[i], rows[j]) << "rows " << i + 1 << " and " << j + 1;
    }

    // "その他" is an empty page.
    ClickTab(m_sheet, 1);
    ASSERT_TRUE(WaitFor([&] { return CurrentTab(m_sheet) == 1; }));
    HWND other = CurrentPage(m_sheet);
    ASSERT_NE(page, other);
    for (int id : kRowIcons)
        EXPECT_EQ(0, SendMessageA(GetDlgItem(other, id), STM_GETICON, 0, 0)) << id;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)));
    EXPECT_TRUE(CloseSheet(IDOK));
}

TEST_F(SettingsSheet, RowTextsLastWhileTheSheetIsOpen) {
    Start();
    ASSERT_TRUE(OpenSheet());
    HWND page = CurrentPage(m_sheet);
    // Row 2's field has the id of the popup's "設定...": typing in it must
    // not count as a click there.
    SetForegroundWindow(m_sheet);
    ASSERT_TRUE(ClickIntoField(page, IDC_ROW_TEXT2));
    TypeText("abc");
    ASSERT_TRUE(WaitFor([&] { return FieldText(page, IDC_ROW_TEXT2) == "abc"; }));
    // Eight double-byte characters are 16 bytes: allowed.
    SendMessageA(GetDlgItem(page, IDC_ROW_TEXT7), WM_SETTEXT, 0, (LPARAM) "あいうえおかきく");

    ClickTab(m_sheet, 1);
    ASSERT_TRUE(WaitFor([&] { return CurrentTab(m_sheet) == 1; }));
    ClickTab(m_sheet, 0);
    ASSERT_TRUE(WaitFor([&] { return CurrentTab(m_sheet) == 0; }));
    EXPECT_EQ("abc", FieldText(page, IDC_ROW_TEXT2));
    EXPECT_EQ("あいうえおかきく", FieldText(page, IDC_ROW_TEXT7));
    std::vector<HWND> windows = TopWindows(m_process.Id());
    EXPECT_EQ(1, std::count_if(windows.begin(), windows.end(), IsSheet));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)));
    ASSERT_TRUE(CloseSheet(IDOK));

    // Gone the next time, after OK as after Cancel.
    for (int button : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(OpenSheet());
        page = CurrentPage(m_sheet);
        EXPECT_EQ("", FieldText(page, IDC_ROW_TEXT2));
        EXPECT_EQ("", FieldText(page, IDC_ROW_TEXT7));
        SendMessageA(GetDlgItem(page, IDC_ROW_TEXT2), WM_SETTEXT, 0, (LPARAM) "xyz");
        ASSERT_TRUE(CloseSheet(button));
    }
}

TEST_F(SettingsSheet, ARowTextOver16BytesKeepsThePageUpUntilCancel) {
    Start();
    ASSERT_TRUE(OpenSheet());
    HWND page = CurrentPage(m_sheet);
    HWND field = GetDlgItem(page, IDC_ROW_TEXT3);
    // Past the field's own limit, as only a program can.
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM) "abcdefghijklmnopq");

    ClickTab(m_sheet, 1);
    BoxInfo box;
    ASSERT_TRUE(AnswerBox(m_process.Id(), box));
    EXPECT_EQ("16 文字以内で入力してください。", box.text);
    EXPECT_EQ("Vorelkin", box.caption);
    EXPECT_EQ(0, CurrentTab(m_sheet));
    EXPECT_EQ(page, CurrentPage(m_sheet));
    EXPECT_EQ(field, FocusOf(m_sheet));
    EXPECT_EQ(MAKELONG(0, 17), SendMessageA(field, EM_GETSEL, 0, 0));

    ClickControl(m_sheet, IDOK);
    ASSERT_TRUE(AnswerBox(m_process.Id(), box));
    EXPECT_EQ("16 文字以内で入力してください。", box.text);
    EXPECT_TRUE(IsWindowVisible(m_sheet));

    // Cancel reads nothing back, so nothing is refused.
    ASSERT_TRUE(CloseSheet(IDCANCEL));
    EXPECT_FALSE(WaitForDialog(m_process.Id(), IsMessageBox, 300));
    EXPECT_TRUE(IsWindowEnabled(m_chooser));
}

TEST_F(SettingsSheet, HelpAnswersWithTheApplicationsHelp) {
    Start();
    ASSERT_TRUE(OpenSheet());
    HWND help = GetDlgItem(m_sheet, kHelpButton);
    ASSERT_TRUE(help);
    EXPECT_TRUE(IsWindowVisible(help));
    EXPECT_TRUE(IsWindowEnabled(help));
    ClickControl(m_sheet, kHelpButton);
    BoxInfo box;
    ASSERT_TRUE(AnswerBox(m_process.Id(), box));
    EXPECT_EQ("Vorelkin", box.caption);
    EXPECT_NE(nullptr, strstr(box.text, "vrkcfg.ini"));
    EXPECT_TRUE(IsWindow(m_sheet));
    EXPECT_TRUE(CloseSheet(IDCANCEL));
}

TEST_F(SettingsSheet, ChangeShowsTheChosenIconInRowOneAtOnce) {
    Start();
    ASSERT_TRUE(OpenSheet());
    HWND page = CurrentPage(m_sheet);
    std::vector<COLORREF> row5 = SettledImage(page, IDC_ROW_ICON5);
    std::vector<COLORREF> row1 = SettledImage(page, IDC_ROW_ICON1);
    ASSERT_TRUE(ShowsAnImage(row5));
    EXPECT_NE(row5, row1);

    // Cancel changes nothing.
    HWND open = OpenFileDialog();
    ASSERT_TRUE(open);
    CancelDialog(open);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(open); }));
    EXPECT_TRUE(WaitFor([&] { return ScreenImage(page, IDC_ROW_ICON1) == row1; }));

    CString chosen = m_install.Dir() + "\\icons\\fld05.ico";
    ASSERT_TRUE(ChooseIconFile(chosen));
    EXPECT_TRUE(WaitFor([&] { return ScreenImage(page, IDC_ROW_ICON1) == row5; }));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(m_sheet, kApplyButton)));
    ASSERT_TRUE(CloseSheet(IDOK));

    EndProgram();
    EXPECT_EQ(std::string(chosen), IniValue(ReadBytes(m_install.Ini()), "PATH_1"));
}

TEST_F(SettingsSheet, ChangeReachesTheSettingsFileEvenWhenTheSheetIsCancelled) {
    TempDir elsewhere;
    CString chosen = elsewhere / "mine.ico";
    ASSERT_TRUE(CopyFileA(BesideTests("icons\\fld03.ico"), chosen, FALSE));
    Start("[IconPath]\r\nICON_INDEX_1=2\r\n");
    ASSERT_TRUE(OpenSheet());
    ASSERT_TRUE(ChooseIconFile(chosen));
    ASSERT_TRUE(CloseSheet(IDCANCEL));

    EndProgram();
    std::string ini = ReadBytes(m_install.Ini());
    EXPECT_EQ(std::string(chosen), IniValue(ini, "PATH_1"));
    EXPECT_EQ("2", IniValue(ini, "ICON_INDEX_1"));
    EXPECT_EQ("0", IniValue(ini, "ICON_COPY"));
    EXPECT_EQ("50", IniValue(ini, "TOUMEIDO"));
}

} // namespace

// The framework's property sheet, common Open dialog and click entries, run
// in this process; a second thread drives the sheet through its window.
#include "app/Settings.h"
#include "framework/PropertySheet.h"
#include "res/resource.h"
#include "support/Driver.h"
#include "ui/IconFileDialog.h"
#include "ui/PropPage1.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {
using Log = std::vector<std::string>;

// Records each data exchange: "<name> load" or "<name> save".
class LoggingPage : public CPropertyPage {
  public:
    LoggingPage(UINT templateId, const char* name, Log& log)
        : CPropertyPage(templateId), m_name(name), m_log(log) {}

  protected:
    void DoDataExchange(CDataExchange* pDX) override {
        m_log.push_back(m_name + (pDX->m_bSaveAndValidate ? " save" : " load"));
    }

  private:
    std::string m_name;
    Log& m_log;
};

class TwoPageSheet : public CPropertySheet {
  public:
    explicit TwoPageSheet(Log& log)
        : CPropertySheet("Sheet"), m_first(IDD_PROPPAGE1, "first", log),
          m_second(IDD_PROPPAGE2, "second", log) {
        AddPage(&m_first);
        AddPage(&m_second);
    }

  private:
    LoggingPage m_first;
    LoggingPage m_second;
};

// Runs the sheet modally here while drive gets its window on another thread;
// whatever drive leaves open is cancelled, so the call always returns.
INT_PTR RunDriven(CPropertySheet& sheet, const std::function<void(HWND)>& drive) {
    std::atomic<bool> done(false);
    std::thread driver([&] {
        HWND window = WaitForDialog(0, [](HWND w) { return TextOf(w) == "Sheet"; });
        if (window)
            drive(window);
        WaitFor([&] {
            for (HWND open : TopWindows(0))
                PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
            return done.load();
        });
    });
    INT_PTR result = sheet.DoModal();
    done = true;
    driver.join();
    return result;
}

TEST(PropertySheet, PagesLoadWhenShownSaveWhenLeftAndCancelExchangesNothing) {
    Log log;
    TwoPageSheet sheet(log);
    INT_PTR result = RunDriven(sheet, [](HWND window) {
        SendMessageA(window, PSM_SETCURSEL, 1, 0);
        SendMessageA(window, PSM_SETCURSEL, 0, 0);
        SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, result);
    // The second page is created only when first shown.
    EXPECT_EQ(Log({"first load", "first save", "second load", "second save", "first load"}), log);
}

TEST(PropertySheet, OkSavesTheActivePageOnly) {
    Log log;
    TwoPageSheet sheet(log);
    INT_PTR result = RunDriven(sheet, [](HWND window) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, 0x3021))); // Apply
        SendMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(Log({"first load", "first save"}), log);
}

TEST(FileDialog, FilterBarsBecomeNulsButNotInsideDoubleByteCharacters) {
    // The second byte of "ポ" is the bar's code.
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, "ポ(*.p)|*.p|ｱｲｺﾝ|*.ico|");
    const char expected[] = "ポ(*.p)\0*.p\0ｱｲｺﾝ\0*.ico\0";
    ASSERT_NE(nullptr, dialog.m_ofn.lpstrFilter);
    EXPECT_EQ(std::string(expected, sizeof(expected)),
              std::string(dialog.m_ofn.lpstrFilter, sizeof(expected)));
}

TEST(FileDialog, IconFileDialogStartsInTheIconsFolder) {
    g_strIconFolder = "C:\\Tools\\icons";
    CIconFileDialog dialog;
    const char filter[] = "ｱｲｺﾝﾌｧｲﾙ(*.ico)\0*.ico\0";
    EXPECT_EQ(std::string(filter, sizeof(filter)),
              std::string(dialog.m_ofn.lpstrFilter, sizeof(filter)));
    EXPECT_EQ(0x1006u, dialog.m_ofn.Flags);
    EXPECT_STREQ("C:\\Tools\\icons", dialog.m_ofn.lpstrInitialDir);
    EXPECT_EQ(nullptr, dialog.m_ofn.lpstrDefExt);
    EXPECT_EQ(260u, dialog.m_ofn.nMaxFile);
    EXPECT_STREQ("", dialog.m_ofn.lpstrFile);
}

TEST(ClickEntries, MatchTheNotificationCodeAsWellAsTheId) {
    // The sheet's row 2 field shares id 1025 with the popup's "設定...".
    CSelectDlg chooser(nullptr);
    EXPECT_TRUE(chooser.HandlesCommand(IDC_SETTINGS, STN_CLICKED));
    EXPECT_FALSE(chooser.HandlesCommand(IDC_ROW_TEXT2, EN_CHANGE));
    EXPECT_FALSE(chooser.HandlesCommand(IDC_ROW_TEXT2, EN_UPDATE));
    EXPECT_TRUE(chooser.HandlesCommand(IDC_OTHER, STN_CLICKED));
    EXPECT_FALSE(chooser.HandlesCommand(IDC_OTHER, EN_CHANGE));

    CPropPage1 page;
    EXPECT_TRUE(page.HandlesCommand(IDC_CHANGE_ICON, BN_CLICKED));
    EXPECT_FALSE(page.HandlesCommand(IDC_CHANGE_ICON, EN_CHANGE));
}
} // namespace

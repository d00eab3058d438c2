// "その他...": any file chosen in the Open dialog marks the folder once,
// with index 0, and is never kept in the settings.
#include "res/resource.h"
#include "support/IniLines.h"
#include "support/Install.h"
#include "support/OpenDialog.h"

#include <gtest/gtest.h>

namespace {
using Lines = std::vector<std::string>;

class OtherIcon : public ::testing::Test {
  protected:
    OtherIcon() : m_install(true) {}

    void SetUp() override {
        m_chooser = m_install.LaunchOnTarget(m_process);
        ASSERT_TRUE(m_chooser);
    }

    HWND OpenFileDialog() {
        ClickControl(m_chooser, IDC_OTHER);
        return WaitForOpenDialog(m_process.Id());
    }

    // Chooses the name in a fresh Open dialog and waits for the prompt.
    HWND ChooseAndWaitForPrompt(const char* name) {
        HWND open = OpenFileDialog();
        if (!open)
            return nullptr;
        ChooseFileName(open, name);
        return WaitForDialog(m_process.Id(),
                             [](HWND w) { return TextOf(w) == "フォルダの説明を入力"; });
    }

    void ConfirmAndExpectTheEnd(HWND prompt) {
        ClickControl(prompt, IDOK);
        EXPECT_EQ(0u, m_process.WaitExit());
    }

    std::string DesktopIni() const { return ReadBytes(m_install.Target() + "\\desktop.ini"); }

    Install m_install;
    Process m_process;
    HWND m_chooser = nullptr;
};

TEST_F(OtherIcon, AFileElsewhereIsWrittenWithItsFullPathAndIndexZero) {
    ASSERT_TRUE(WriteBytes(m_install.Target() + "\\desktop.ini",
                           "[.ShellClassInfo]\r\nInfoTip=以前の説明\r\n"));
    TempDir elsewhere;
    const CString folder = elsewhere / "my icons";
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    const CString chosen = folder + "\\表示.ico"; // 0x5C as a trail byte
    ASSERT_TRUE(CopyFileA(BesideTests("icons\\fld03.ico"), chosen, FALSE));

    HWND prompt = ChooseAndWaitForPrompt(chosen);
    ASSERT_TRUE(prompt);
    EXPECT_EQ("以前の説明", ControlText(GetDlgItem(prompt, IDC_COMMENT)));
    ConfirmAndExpectTheEnd(prompt);

    Lines expected = {"[.ShellClassInfo]", "InfoTip=以前の説明", "ConfirmFileOp=0",
                      "IconFile=" + std::string(chosen), "IconIndex=0"};
    EXPECT_EQ(expected, IniLines(DesktopIni()));
    EXPECT_TRUE(Attributes(m_install.Target()) & FILE_ATTRIBUTE_SYSTEM);
    // A one-off choice: the slots keep their files.
    EXPECT_EQ(std::string::npos, ReadBytes(m_install.Ini()).find("表示.ico"));
}

TEST_F(OtherIcon, ABareNameIsFoundInTheIconsFolder) {
    HWND prompt = ChooseAndWaitForPrompt("fld05.ico");
    ASSERT_TRUE(prompt);
    ConfirmAndExpectTheEnd(prompt);

    const std::string path = std::string(m_install.Dir()) + "\\icons\\fld05.ico";
    EXPECT_NE(std::string::npos, DesktopIni().find("\r\nIconFile=" + path + "\r\n"))
        << DesktopIni();
}

TEST_F(OtherIcon, AnExistingFileOfAnotherTypeIsPassedOnUnchanged) {
    TempDir elsewhere;
    const CString chosen = elsewhere / "notes.txt";
    ASSERT_TRUE(WriteBytes(chosen, "not an icon"));

    HWND prompt = ChooseAndWaitForPrompt(chosen);
    ASSERT_TRUE(prompt);
    // No description yet: the prompt opens empty and OK keeps it empty.
    EXPECT_EQ("", ControlText(GetDlgItem(prompt, IDC_COMMENT)));
    ConfirmAndExpectTheEnd(prompt);

    Lines expected = {"[.ShellClassInfo]", "ConfirmFileOp=0", "IconFile=" + std::string(chosen),
                      "IconIndex=0", "InfoTip="};
    EXPECT_EQ(expected, IniLines(DesktopIni()));
}

TEST_F(OtherIcon, CancelInEitherDialogKeepsThePopupAndWritesNothing) {
    HWND open = OpenFileDialog();
    ASSERT_TRUE(open);
    CancelDialog(open);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(open); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(m_chooser); }));
    EXPECT_TRUE(IsWindowVisible(m_chooser));

    // A second click on the same spot within the double-click time would be
    // a double click, which a static does not count as a click.
    Sleep(GetDoubleClickTime() + 50);
    HWND prompt = ChooseAndWaitForPrompt(BesideTests("icons\\fld02.ico"));
    ASSERT_TRUE(prompt);
    ClickControl(prompt, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(m_chooser); }));
    EXPECT_FALSE(FileExists(m_install.Target() + "\\desktop.ini"));
    EXPECT_FALSE(Attributes(m_install.Target()) & FILE_ATTRIBUTE_SYSTEM);

    ClickControl(m_chooser, IDC_CANCEL_ITEM);
    EXPECT_EQ(0u, m_process.WaitExit());
    EXPECT_FALSE(FileExists(m_install.Target() + "\\desktop.ini"));
}
} // namespace

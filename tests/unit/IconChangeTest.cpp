// IconChange and ReadInfoTip on real folders: the file's bytes, the
// attributes as another process reads them, every box in order, and the
// refresh each run sends.
#include "app/Settings.h"
#include "framework/App.h"
#include "support/Attrib.h"
#include "support/BoxWatcher.h"
#include "support/ShellWindows.h"
#include "support/TestFiles.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>

namespace {
using Texts = std::vector<std::string>;

class IconChange : public ::testing::Test {
  protected:
    void SetUp() override {
        g_bIconCopy = g_bTipDelete = false;
        ASSERT_TRUE(CreateDirectoryA(Folder(), nullptr));
        m_cabinet = m_shell.Top("CabinetWClass", "any folder", true);
    }

    CString Folder() const { return m_dir / "target"; }
    CString Ini() const { return Folder() + "\\desktop.ini"; }
    std::string IniText() const { return ReadBytes(Ini()); }

    // Runs IconChange with every box answered; what it showed and sent is kept.
    BOOL Apply(const CString& icon, int index, int tipFlag, const CString& description,
               const CString& folder) {
        ChangeNotices notices(folder);
        BoxWatcher watcher;
        BOOL result = CSelectDlg::IconChange(icon, index, folder, tipFlag, description);
        m_boxes.clear();
        for (const BoxInfo& box : watcher.Stop())
            m_boxes.push_back(DescribeBox(box));
        m_commands = 0;
        for (const ReceivedMessage& received : m_shell.Take())
            m_commands += received.window == m_cabinet && received.message == WM_COMMAND;
        m_notices = notices.Updates();
        return result;
    }
    BOOL Apply(const CString& icon, int index, int tipFlag, const CString& description) {
        return Apply(icon, index, tipFlag, description, Folder());
    }
    void ExpectNoBoxesAndOneRefresh() {
        EXPECT_EQ(Texts(), m_boxes);
        EXPECT_EQ(1, m_commands);
        EXPECT_EQ(1, m_notices);
    }

    CWinApp m_app{"Vorelkin"};
    TempDir m_dir;
    ShellWindows m_shell;
    HWND m_cabinet = nullptr;
    Texts m_boxes;
    int m_commands = 0;
    int m_notices = 0;
};

TEST_F(IconChange, NewDesktopIniHoldsTheFourKeysInOrder) {
    ASSERT_TRUE(Apply("D:\\icons\\fld02.ico", 3, 1, "abc"));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=D:\\icons\\fld02.ico\r\n"
              "IconIndex=3\r\nInfoTip=abc\r\n",
              IniText());
    EXPECT_EQ("S", AttribLetters(Folder()));
    EXPECT_EQ("AH", AttribLetters(Ini()));
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconChange, ExistingDesktopIniKeepsItsOtherLines) {
    ASSERT_TRUE(WriteBytes(Ini(), "; mine\r\n[Other]\r\nIconFile=x\r\n[.ShellClassInfo]\r\n"
                                  "IconIndex=9\r\nMine=keep\r\nConfirmFileOp=1\r\n"
                                  "[After]\r\ny=2\r\n"));
    ASSERT_TRUE(Apply("C:\\i.ico", 0, 1, ""));
    EXPECT_EQ("; mine\r\n[Other]\r\nIconFile=x\r\n[.ShellClassInfo]\r\nIconIndex=0\r\n"
              "Mine=keep\r\nConfirmFileOp=0\r\nIconFile=C:\\i.ico\r\nInfoTip=\r\n"
              "[After]\r\ny=2\r\n",
              IniText());
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconChange, StandardKeepsTheTipUnlessTipDeleteIsOn) {
    ASSERT_TRUE(Apply("C:\\i.ico", 4, 1, "tip"));
    ASSERT_TRUE(Apply("", 0, 0, ""));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=\r\nIconIndex=0\r\nInfoTip=tip\r\n",
              IniText());
    EXPECT_EQ("tip", std::string(CSelectDlg::ReadInfoTip(Folder())));

    g_bTipDelete = true;
    ASSERT_TRUE(Apply("", 0, 0, ""));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=\r\nIconIndex=0\r\nInfoTip=\r\n",
              IniText());
    EXPECT_EQ("", std::string(CSelectDlg::ReadInfoTip(Folder())));
    EXPECT_EQ("AH", AttribLetters(Ini())); // the reset keeps the customization
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconChange, NegativeIndexAndAFolderPathEndingInABackslash) {
    // As a drive root "D:\" does: the file's path gets two backslashes.
    ASSERT_TRUE(Apply("C:\\i.ico", -101, 1, "x", Folder() + "\\"));
    EXPECT_NE(std::string::npos, IniText().find("\r\nIconIndex=-101\r\n"));
    EXPECT_EQ("S", AttribLetters(Folder()));
    EXPECT_EQ("AH", AttribLetters(Ini()));
    EXPECT_EQ(Texts(), m_boxes);
}

TEST_F(IconChange, AttributesAlreadySetStaySet) {
    ASSERT_TRUE(WriteBytes(Ini(), "[.ShellClassInfo]\r\n"));
    ASSERT_TRUE(SetFileAttributesA(Ini(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA(Folder(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Apply("C:\\i.ico", 1, 1, "x"));
    EXPECT_EQ("SH", AttribLetters(Folder()));
    EXPECT_EQ("ASHR", AttribLetters(Ini()));
}

TEST_F(IconChange, LineBreaksInADescriptionBecomeBlanks) {
    ASSERT_TRUE(Apply("C:\\i.ico", 1, 1, "one\r\ntwo\nIconFile=evil\r[x]"));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=C:\\i.ico\r\nIconIndex=1\r\n"
              "InfoTip=one two IconFile=evil [x]\r\n",
              IniText());
}

TEST_F(IconChange, WithoutAFolderNothingIsWritten) {
    bool rootFileBefore = FileExists("\\desktop.ini");
    EXPECT_FALSE(Apply("C:\\i.ico", 1, 1, "x", ""));
    EXPECT_EQ(Texts{FrameworkBox("フォルダが指定されていません")}, m_boxes);
    EXPECT_EQ(rootFileBefore, FileExists("\\desktop.ini"));
    EXPECT_EQ(0, m_commands);
    EXPECT_EQ("", std::string(CSelectDlg::ReadInfoTip("")));
}

TEST_F(IconChange, UnwritableDesktopIniReportsEachKeyThenTheSystemText) {
    ASSERT_TRUE(CreateDirectoryA(Ini(), nullptr)); // takes the file's name
    EXPECT_FALSE(Apply("C:\\i.ico", 1, 1, "x"));
    std::string folder(Folder());
    EXPECT_EQ((Texts{FrameworkBox("ConfirmFileOpのｴﾗｰですSetStringINI"),
                     FrameworkBox("IconFileのｴﾗｰですSetStringINI"),
                     FrameworkBox("IconIndexのｴﾗｰですSetStringINI"),
                     FrameworkBox("InfoTipのｴﾗｰですSetStringINI"),
                     FrameworkBox("IconChange()関数にてエラー発生 " + folder),
                     SystemTextBox("アクセスが拒否されました。\r\n")}),
              m_boxes);
    EXPECT_EQ("S", AttribLetters(Folder()));
    EXPECT_EQ(1, m_commands); // the refresh runs after a failure too
}

TEST_F(IconChange, MissingFolderReportsEveryStepInOrder) {
    std::string folder(m_dir / "gone");
    EXPECT_FALSE(Apply("C:\\i.ico", 1, 0, "x", folder.c_str()));
    EXPECT_EQ((Texts{FrameworkBox("ConfirmFileOpのｴﾗｰですSetStringINI"),
                     FrameworkBox("IconFileのｴﾗｰですSetStringINI"),
                     FrameworkBox("IconIndexのｴﾗｰですSetStringINI"),
                     FrameworkBox("SetFileAttributesのｴﾗｰです" + folder),
                     FrameworkBox("SetFileAttributesのｴﾗｰです" + folder + "\\desktop.ini"),
                     FrameworkBox("IconChange()関数にてエラー発生 " + folder),
                     SystemTextBox("パスが見つかりません。\r\n")}),
              m_boxes);
    EXPECT_EQ(1, m_commands);
}

TEST_F(IconChange, ReadInfoTipKeepsCharactersWhole) {
    EXPECT_EQ("", std::string(CSelectDlg::ReadInfoTip(Folder()))); // no file
    std::string tip = std::string(254, 'a') + "表表";
    ASSERT_TRUE(WriteBytes(Ini(), "[.ShellClassInfo]\r\nInfoTip=" + tip + "\r\n"));
    EXPECT_EQ(std::string(254, 'a'), std::string(CSelectDlg::ReadInfoTip(Folder())));
    ASSERT_TRUE(WriteBytes(Ini(), "[.ShellClassInfo]\r\nInfoTip=a" + tip + "\r\n"));
    EXPECT_EQ("a" + tip.substr(0, 254), std::string(CSelectDlg::ReadInfoTip(Folder())));
}

// With ICON_COPY on.
class IconCopy : public IconChange {
  protected:
    void SetUp() override {
        IconChange::SetUp();
        g_bIconCopy = true;
        ASSERT_TRUE(CreateDirectoryA(m_dir / "ソ表", nullptr));
        ASSERT_TRUE(WriteBytes(Icon(), "ICON"));
    }
    // "ソ" and "表" both end in the byte 0x5C.
    CString Icon() const { return m_dir / "ソ表\\表ソ.ico"; }
    CString Copy() const { return Folder() + "\\表ソ.ico"; }
};

TEST_F(IconCopy, CopyLandsInTheFolderHiddenAndIsNamedRelatively) {
    ASSERT_TRUE(Apply(Icon(), 2, 1, "x"));
    EXPECT_EQ("ICON", ReadBytes(Copy()));
    EXPECT_EQ("AH", AttribLetters(Copy()));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=表ソ.ico\r\nIconIndex=2\r\n"
              "InfoTip=x\r\n",
              IniText());
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconCopy, ReapplyingReplacesAHiddenReadOnlyCopy) {
    ASSERT_TRUE(WriteBytes(Copy(), "OLD"));
    ASSERT_TRUE(SetFileAttributesA(Copy(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Apply(Icon(), 2, 1, "x"));
    EXPECT_EQ("ICON", ReadBytes(Copy()));
    EXPECT_EQ("AH", AttribLetters(Copy())); // Wine keeps read-only through an overwrite

    // The copy itself as the icon: nothing to copy, nothing to report.
    ASSERT_TRUE(Apply(Copy(), 2, 1, "x"));
    EXPECT_EQ("ICON", ReadBytes(Copy()));
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconCopy, StandardCopiesNothingAndResets) {
    ASSERT_TRUE(Apply("", 0, 0, ""));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=\r\nIconIndex=0\r\n", IniText());
    ExpectNoBoxesAndOneRefresh();
}

TEST_F(IconCopy, FailedCopyShowsOneBoxAndChangesNothing) {
    ASSERT_TRUE(WriteBytes(Copy(), "OLD"));
    ASSERT_TRUE(SetFileAttributesA(Copy(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(DeleteFileA(Icon()));
    EXPECT_FALSE(Apply(Icon(), 2, 1, "x"));
    EXPECT_EQ(Texts{FrameworkBox("ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです")}, m_boxes);
    EXPECT_FALSE(FileExists(Ini()));
    EXPECT_EQ("", AttribLetters(Folder()));
    EXPECT_EQ("OLD", ReadBytes(Copy()));
    EXPECT_EQ("AHR", AttribLetters(Copy()));
    EXPECT_EQ(0, m_commands);
    EXPECT_EQ(0, m_notices);
}

TEST_F(IconCopy, IconPathWithoutABackslashIsCopiedIntoTheFolder) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(m_dir / "ソ表"));
    BOOL result = Apply("表ソ.ico", 0, 1, "x");
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(result);
    EXPECT_EQ("ICON", ReadBytes(Folder() + "\\表ソ.ico"));
    EXPECT_FALSE(FileExists(Folder() + "表ソ.ico")); // nothing beside the folder
    EXPECT_NE(std::string::npos, IniText().find("\r\nIconFile=表ソ.ico\r\n"));
}
} // namespace

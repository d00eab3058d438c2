// The real program started as a user starts it, its popup driven with the
// pointer and the keyboard.
#include "res/resource.h"
#include "support/IniLines.h"
#include "support/Install.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> KeyNames(const std::string& iniBytes) {
    std::vector<std::string> names;
    for (const std::string& line : IniLines(iniBytes))
        names.push_back(line.substr(0, line.find('=')));
    return names;
}

const std::vector<std::string> kAllKeys = {
    "[FolderPath]", "ICON_FOLDER", "[IconPath]",   "PATH_0",    "ICON_INDEX_0", "PATH_1",
    "ICON_INDEX_1", "PATH_2",      "ICON_INDEX_2", "PATH_3",    "ICON_INDEX_3", "PATH_4",
    "ICON_INDEX_4", "PATH_5",      "ICON_INDEX_5", "PATH_6",    "ICON_INDEX_6", "PATH_7",
    "ICON_INDEX_7", "[Property]",  "HELP",         "ICON_COPY", "TIP_DELETE",   "TOUMEIDO"};

TEST(Startup, EscClosesThePopupAndEverySettingIsWritten) {
    Install install;
    Process process;
    HWND chooser = install.LaunchOnTarget(process);
    ASSERT_TRUE(chooser);
    // The defaults are written while the popup is open.
    EXPECT_EQ(kAllKeys, KeyNames(ReadBytes(install.Ini())));
    EXPECT_TRUE(FileExists(install.Dir() + "\\icons"));

    SetForegroundWindow(chooser);
    PressKey(VK_ESCAPE);
    ASSERT_NE(STILL_ACTIVE, process.WaitExit());
    EXPECT_EQ(kAllKeys, KeyNames(ReadBytes(install.Ini())));
    EXPECT_FALSE(FileExists(install.Target() + "\\desktop.ini"));
}

TEST(Startup, CancelItemEndsTheProgramAndTheWriteBackKeepsForeignLines) {
    Install install;
    std::string longValue(300, 'q');
    ASSERT_TRUE(WriteBytes(install.Ini(), "[Mine]\r\nkeep=1\r\n[IconPath]\r\nPATH_2=" + longValue +
                                              "\r\nICON_INDEX_3=12abc\r\n"));
    Process process;
    HWND chooser = install.LaunchOnTarget(process);
    ASSERT_TRUE(chooser);
    // Pretend a change happened in memory: the write-back must store all keys.
    ASSERT_TRUE(WriteBytes(install.Ini(), ReadBytes(install.Ini()) + "\r\n[Later]\r\nx=1\r\n"));
    ClickControl(chooser, IDC_CANCEL_ITEM);
    ASSERT_NE(STILL_ACTIVE, process.WaitExit());

    std::string text = ReadBytes(install.Ini());
    EXPECT_NE(std::string::npos, text.find("[Mine]\r\nkeep=1"));
    EXPECT_NE(std::string::npos, text.find("[Later]\r\nx=1"));
    EXPECT_NE(std::string::npos, text.find("PATH_2=" + longValue + "\r\n"));
    EXPECT_NE(std::string::npos, text.find("ICON_INDEX_3=12\r\n"));
    EXPECT_FALSE(FileExists(install.Target() + "\\desktop.ini"));
}

TEST(Startup, WithoutAnArgumentThePopupStillOpens) {
    Install install;
    Process process;
    ASSERT_TRUE(install.Launch(process, ""));
    HWND chooser = WaitForChooser(process.Id());
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_CANCEL_ITEM);
    EXPECT_NE(STILL_ACTIVE, process.WaitExit());
}

TEST(Startup, PopupOpensAtThePointerWithoutCaptionAndOnTop) {
    Install install;
    MovePointer(400, 300);
    Process process;
    HWND chooser = install.LaunchOnTarget(process);
    ASSERT_TRUE(chooser);
    RECT rect;
    GetWindowRect(chooser, &rect);
    // Windows centres the popup on the pointer; Wine puts its corner there.
    EXPECT_TRUE(PtInRect(&rect, POINT{400, 300}) || (rect.left == 400 && rect.top == 300))
        << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
    LONG style = GetWindowLongA(chooser, GWL_STYLE);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongA(chooser, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(chooser, IDC_SETTINGS)));
    process.Kill();
}
} // namespace

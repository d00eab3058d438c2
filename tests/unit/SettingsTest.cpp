// Start-up's loading and write-back on real settings files.
#include "app/IniFile.h"
#include "app/MainApp.h"
#include "app/Settings.h"
#include "support/IniLines.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {
using Lines = std::vector<std::string>;

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        g_strIconFolder.Empty();
        g_arrIconPath.RemoveAll();
        for (int& index : g_nIconIndex)
            index = 0;
        g_bHelp = g_bIconCopy = g_bTipDelete = false;
        g_nToumeido = 0;
    }
    CString ExePath() const { return m_dir / "Vorelkin.exe"; }
    CString Ini() const { return m_dir / "vrkcfg.ini"; }
    std::string Dir() const { return std::string(m_dir.Path()); }
    void WriteIni(const std::string& text) { ASSERT_TRUE(WriteBytes(Ini(), text)); }
    Lines FileLines() const { return IniLines(ReadBytes(Ini())); }

    // The lines of a complete file, as a first run writes them.
    Lines DefaultLines(const std::string& iconFolder, const char* prefix) const {
        Lines lines = {"[FolderPath]", "ICON_FOLDER=" + iconFolder, "[IconPath]"};
        for (int i = 0; i < 8; ++i) {
            lines.push_back("PATH_" + std::to_string(i) + "=" + iconFolder + prefix +
                            std::to_string(i) + ".ico");
            lines.push_back("ICON_INDEX_" + std::to_string(i) + "=0");
        }
        for (const char* line :
             {"[Property]", "HELP=0", "ICON_COPY=0", "TIP_DELETE=0", "TOUMEIDO=50"})
            lines.push_back(line);
        return lines;
    }

    TempDir m_dir;
};

TEST_F(SettingsFile, FirstRunWritesEveryKeyInOrderAndCreatesTheIconsFolder) {
    OptionTexts options = LoadSettings(ExePath(), 0);
    std::string icons = Dir() + "\\icons";
    EXPECT_EQ(DefaultLines(icons, "\\fld0"), FileLines());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, Attributes(icons.c_str()));
    EXPECT_EQ(Dir() + "\\", std::string(g_strExeDir));
    EXPECT_EQ(std::string(Ini()), std::string(g_strIniPath));
    EXPECT_EQ(icons + "\\fld03.ico", std::string(g_arrIconPath[3]));
    EXPECT_EQ(50, g_nToumeido);

    // The write-back of an untouched model changes nothing.
    SaveSettings(options);
    EXPECT_EQ(DefaultLines(icons, "\\fld0"), FileLines());
}

TEST_F(SettingsFile, VersionCode51ChoosesTheXpIconSet) {
    LoadSettings(ExePath(), 51);
    EXPECT_EQ(DefaultLines(Dir() + "\\icons", "\\FldXP0"), FileLines());
}

TEST_F(SettingsFile, ValuesAreReadAndNormalisedOnWriteBack) {
    WriteIni("[Property]\r\nICON_COPY=yes\r\nTIP_DELETE=0\r\nHELP=\r\nTOUMEIDO=12abc\r\n"
             "[IconPath]\r\nICON_INDEX_3=12abc\r\nICON_INDEX_2=-1\r\nICON_INDEX_0=3\r\n"
             "ICON_INDEX_5=99999999999\r\nICON_INDEX_6=  +7x\r\n");
    OptionTexts options = LoadSettings(ExePath(), 0);
    EXPECT_TRUE(g_bIconCopy);
    EXPECT_FALSE(g_bTipDelete);
    EXPECT_FALSE(g_bHelp);
    EXPECT_EQ(12, g_nToumeido);
    EXPECT_EQ(12, g_nIconIndex[3]);
    EXPECT_EQ(-1, g_nIconIndex[2]);
    EXPECT_EQ(3, g_nIconIndex[0]);
    EXPECT_EQ(2147483647, g_nIconIndex[5]); // saturates instead of overflowing
    EXPECT_EQ(7, g_nIconIndex[6]);

    SaveSettings(options);
    std::string text = ReadBytes(Ini());
    for (const char* line : {"ICON_COPY=yes", "TIP_DELETE=0", "HELP=0", "TOUMEIDO=12abc",
                             "ICON_INDEX_3=12\r", "ICON_INDEX_2=-1\r", "ICON_INDEX_0=3\r",
                             "ICON_INDEX_5=2147483647\r", "ICON_INDEX_6=7\r", "ICON_INDEX_7=0\r"})
        EXPECT_NE(std::string::npos, text.find(line)) << line;
}

TEST_F(SettingsFile, ForeignLinesAndSectionsSurviveTheWriteBack) {
    WriteIni("; comment kept\r\n[Other]\r\nkey=value\r\n[Property]\r\nICONCOPY=1\r\n");
    SaveSettings(LoadSettings(ExePath(), 0));
    std::string text = ReadBytes(Ini());
    EXPECT_NE(std::string::npos, text.find("; comment kept"));
    EXPECT_NE(std::string::npos, text.find("[Other]\r\nkey=value"));
    EXPECT_NE(std::string::npos, text.find("ICONCOPY=1"));
    EXPECT_NE(std::string::npos, text.find("ICON_COPY=0"));
    EXPECT_FALSE(g_bIconCopy);
}

TEST_F(SettingsFile, NamedIconFolderIsUsedAsItStandsAndNeverCreated) {
    std::string missing = Dir() + "\\nowhere\\";
    WriteIni("[FolderPath]\r\nICON_FOLDER=" + missing + "\r\n");
    LoadSettings(ExePath(), 0);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes((Dir() + "\\nowhere").c_str()));
    EXPECT_EQ(missing + "\\fld01.ico", std::string(g_arrIconPath[1])); // two backslashes
}

TEST_F(SettingsFile, LongValuesSurviveWhole) {
    std::string longPath = "C:\\" + std::string(300, 'x') + ".ico";
    WriteIni("[IconPath]\r\nPATH_4=" + longPath + "\r\n");
    OptionTexts options = LoadSettings(ExePath(), 0);
    EXPECT_EQ(longPath, std::string(g_arrIconPath[4]));
    SaveSettings(options);
    EXPECT_NE(std::string::npos, ReadBytes(Ini()).find("PATH_4=" + longPath + "\r\n"));
}

TEST_F(SettingsFile, ExecutableInADriveRootKeepsItsFilesInTheRoot) {
    // Only the derived names are checked; the files land in the root of C:.
    LoadSettings("C:\\Vorelkin.exe", 0);
    EXPECT_STREQ("C:\\", g_strExeDir);
    EXPECT_STREQ("C:\\vrkcfg.ini", g_strIniPath);
    EXPECT_STREQ("C:\\icons", g_strIconFolder);
    DeleteFileA("C:\\vrkcfg.ini");
    RemoveDirectoryA("C:\\icons");
}

TEST_F(SettingsFile, DoubleByteExecutableFolderIsSplitAtItsRealBackslash) {
    // "表" is 0x95 0x5C: its second byte must not count as a separator.
    CString folder = m_dir / "表";
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    LoadSettings(folder + "\\Vorelkin.exe", 0);
    EXPECT_EQ(std::string(folder) + "\\", std::string(g_strExeDir));
    EXPECT_TRUE(FileExists(folder + "\\vrkcfg.ini"));
}

TEST(IniOperations, GetStringIniReportsOnlyNonEmptyValuesAndLeavesTextOtherwise) {
    TempDir dir;
    CString ini = dir / "t.ini";
    CString text = "untouched";
    EXPECT_FALSE(GetStringINI(ini, "S", "K", text)); // no file
    EXPECT_STREQ("untouched", text);
    ASSERT_TRUE(SetStringINI(ini, "S", "K", ""));
    EXPECT_FALSE(GetStringINI(ini, "S", "K", text)); // empty value
    EXPECT_STREQ("untouched", text);
    EXPECT_NE(std::string::npos, ReadBytes(ini).find("K=")); // the key stays
    ASSERT_TRUE(SetStringINI(ini, "S", "K", "v"));
    EXPECT_TRUE(GetStringINI(ini, "S", "K", text));
    EXPECT_STREQ("v", text);
}

TEST(IniOperations, ASessionReadsOnceWritesThroughAndLeavesNothingStale) {
    TempDir dir;
    CString ini = dir / "t.ini";
    CString other = dir / "other.ini";
    ASSERT_TRUE(WriteBytes(ini, "[S]\r\nK=a\r\n"));
    CString text;
    {
        IniFileSession session(ini);
        ASSERT_TRUE(GetStringINI(ini, "S", "K", text));
        EXPECT_STREQ("a", text);
        ASSERT_TRUE(SetStringINI(ini, "S", "K", "b"));
        EXPECT_EQ("[S]\r\nK=b\r\n", ReadBytes(ini)); // on disk at once
        ASSERT_TRUE(GetStringINI(ini, "S", "K", text));
        EXPECT_STREQ("b", text);
        // Other files go their own way meanwhile.
        ASSERT_TRUE(SetStringINI(other, "S", "K", "c"));
        ASSERT_TRUE(GetStringINI(other, "S", "K", text));
        EXPECT_STREQ("c", text);
    }
    // What another program writes between two sessions is seen by the next.
    ASSERT_TRUE(WriteBytes(ini, "; theirs\r\n[S]\r\nK=d\r\n"));
    IniFileSession session(ini);
    ASSERT_TRUE(GetStringINI(ini, "S", "K", text));
    EXPECT_STREQ("d", text);
    ASSERT_TRUE(SetStringINI(ini, "S", "J", "e"));
    EXPECT_EQ("; theirs\r\n[S]\r\nK=d\r\nJ=e\r\n", ReadBytes(ini));
}

TEST(IniOperations, ASessionOnAMissingFileCreatesItWithTheFirstKey) {
    TempDir dir;
    CString ini = dir / "new.ini";
    IniFileSession session(ini);
    CString text = "untouched";
    EXPECT_FALSE(GetStringINI(ini, "S", "K", text));
    ASSERT_TRUE(SetStringINI(ini, "S", "K", "v"));
    ASSERT_TRUE(SetStringINI(ini, "S", "L", "w"));
    EXPECT_EQ("[S]\r\nK=v\r\nL=w\r\n", ReadBytes(ini));
}

TEST(IniOperations, SetStringIniReportsARefusedWrite) {
    TempDir dir;
    CString blocked = dir / "blocked";
    ASSERT_TRUE(CreateDirectoryA(blocked, nullptr)); // a folder where the file should be
    EXPECT_FALSE(SetStringINI(blocked, "S", "K", "v"));
}
} // namespace

// Start-up's loading and write-back, and the INI file operations, on real
// files.
#include "app/FolderCollector.h"
#include "app/IniFile.h"
#include "app/MainApp.h"
#include "app/Settings.h"
#include "framework/App.h"
#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <tuple>

namespace {
using namespace std::string_literals;
using Lines = std::vector<std::string>;

TEST(Settings, FirstRunWritesEveryDefaultInOrderAndCreatesTheIconsFolder) {
    for (int os : {0, 51, 2000}) {
        TempDir dir;
        const std::string icons = std::string(dir.Path()) + "\\icons";
        const std::string expected = DefaultSettings(icons, os == 51 ? "\\FldXP0" : "\\fld0");
        OptionTexts options = LoadSettings(dir / "Vorelkin.exe", os);
        EXPECT_EQ(expected, ReadBytes(dir / "vrkcfg.ini")) << os;
        EXPECT_TRUE(Attributes(icons.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(std::string(dir.Path()) + "\\", std::string(g_strExeDir));
        SaveSettings(options); // an untouched model writes the same file back
        EXPECT_EQ(expected, ReadBytes(dir / "vrkcfg.ini")) << os;
    }
}

// A settings file held open without sharing (a scanner, a backup) is waited
// for a moment; still held, the run goes on with the defaults, says so once
// and writes nothing, so the user's values survive it.
TEST(Settings, AFileThatCannotBeReadKeepsTheUsersValues) {
    CWinApp app("Vorelkin");
    TempDir dir;
    const CString ini = dir / "vrkcfg.ini";
    const std::string mine = "[IconPath]\r\nICON_INDEX_1=7\r\n";
    for (DWORD heldMs : {500, 4000}) {
        SCOPED_TRACE(heldMs);
        ASSERT_TRUE(WriteBytes(ini, mine));
        HANDLE held =
            CreateFileW(WideText(ini), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        std::thread release([&] {
            Sleep(heldMs);
            CloseHandle(held);
        });
        OptionTexts options;
        std::vector<std::string> boxes =
            AnswerBoxesWhile([&] { options = LoadSettings(dir / "Vorelkin.exe", 0); });
        release.join();
        const bool readable = heldMs < 2000;
        EXPECT_EQ(readable, g_bSettingsWritable);
        EXPECT_EQ(readable ? 7 : 0, g_nIconIndex[1]);
        ASSERT_EQ(readable ? 0u : 1u, boxes.size());
        EXPECT_TRUE(readable || boxes[0].find(std::string(ini)) != std::string::npos);
        SaveSettings(options);                    // the file can be read by now
        const std::string after = ReadBytes(ini); // with the defaults when it was read
        EXPECT_EQ(!readable, mine == after);
        EXPECT_NE(std::string::npos, after.find("ICON_INDEX_1=7\r\n"));
    }
}

// Each file is loaded and written back; the lines after, split at "|", must
// be there, in order. "<dir>" stands for the executable's folder.
TEST(Settings, ValuesAreReadNormalisedAndWrittenBackWithForeignLines) {
    const std::string longPath = "C:\\" + std::string(300, 'x') + ".ico";
    // The file before, its lines after, ICON_COPY and TOUMEIDO as loaded.
    const std::tuple<int, std::string, std::string, bool, int> rows[] = {
        {__LINE__,
         "[Property]\r\nICON_COPY=yes\r\nTIP_DELETE=0\r\nHELP=\r\nTOUMEIDO=12abc\r\n[IconPath]\r\n"
         "ICON_INDEX_3=12abc\r\nICON_INDEX_2=-1\r\nICON_INDEX_0=3\r\nICON_INDEX_5=99999999999\r\n"
         "ICON_INDEX_6=  +7x\r\n",
         "ICON_COPY=yes|TIP_DELETE=0|HELP=0|TOUMEIDO=12abc|ICON_INDEX_3=12|ICON_INDEX_2=-1|"
         "ICON_INDEX_0=3|ICON_INDEX_5=2147483647|ICON_INDEX_6=7|ICON_INDEX_7=0",
         true, 12},
        {__LINE__, "; kept\r\n[Other]\r\nkey=value\r\n[Property]\r\nICONCOPY=1\r\n",
         "; kept|[Other]|key=value|[Property]|ICONCOPY=1|HELP=0|ICON_COPY=0|"
         "ICON_FOLDER=<dir>\\icons",
         false, 50},
        // A named icons folder is used as it stands, two backslashes and all.
        {__LINE__, "[FolderPath]\r\nICON_FOLDER=<dir>\\nowhere\\\r\n",
         "ICON_FOLDER=<dir>\\nowhere\\|PATH_1=<dir>\\nowhere\\\\fld01.ico", false, 50},
        {__LINE__, "[IconPath]\r\nPATH_4=" + longPath + "\r\n", "PATH_4=" + longPath, false, 50},
    };
    // "表" ends in the byte 0x5C, which is no separator.
    TempDir temp;
    const CString dir = temp / "表";
    CreateDirectoryA(dir, nullptr);
    auto expand = [&](std::string text) {
        for (size_t at; (at = text.find("<dir>")) != std::string::npos;)
            text.replace(at, 5, std::string(dir));
        return text;
    };
    for (const auto& [line, before, after, iconCopy, toumeido] : rows) {
        ASSERT_TRUE(WriteBytes(dir + "\\vrkcfg.ini", expand(before)));
        SaveSettings(LoadSettings(dir + "\\Vorelkin.exe", 0));
        EXPECT_EQ(iconCopy, g_bIconCopy) << "line " << line;
        EXPECT_EQ(toumeido, g_nToumeido) << "line " << line;
        Lines lines = IniLines(ReadBytes(dir + "\\vrkcfg.ini"));
        auto at = lines.begin();
        for (size_t from = 0, bar; from <= after.size(); from = bar + 1) {
            bar = std::min(after.find('|', from), after.size());
            at = std::find(at, lines.end(), expand(after.substr(from, bar - from)));
            EXPECT_NE(lines.end(), at) << "line " << line << ": " << after.substr(from, bar - from);
        }
        EXPECT_FALSE(FileExists(dir + "\\nowhere")) << "line " << line;
    }
}

// A hand-over is taken whole or not at all: its mark, an even size, names
// ending in NULs and an empty name, each an existing folder.
TEST(FolderCollector, TakesOnlySoundHandOvers) {
    TempDir dir;
    WriteBytes(dir / "file", "");
    const std::wstring folder(WideText(dir.Path())), end(2, L'\0');
    const std::tuple<int, ULONG_PTR, std::wstring, int, bool> rows[] = {
        {__LINE__, 0x564B4631, folder + end, 0, true},
        {__LINE__, 0x564B4631, end, 0, true},
        {__LINE__, 0x564B4631, folder + L'\0' + folder + L"\\none" + end, 0, false},
        {__LINE__, 0x564B4631, folder + L"\\file" + end, 0, false},
        {__LINE__, 0x564B4631, folder + L'\0', 0, false},
        {__LINE__, 0x564B4631, folder + end, 1, false}, // a byte short
        {__LINE__, 0x12345678, folder + end, 0, false},
        {__LINE__, 0x564B4631, std::wstring(40000, L'a') + end, 0, false},
    };
    for (const auto& [line, mark, names, shortBy, taken] : rows) {
        COPYDATASTRUCT message = {mark, DWORD(names.size() * 2 - shortBy), (void*)names.data()};
        TargetFolders folders;
        EXPECT_EQ(taken, TakeHandOver(message, folders)) << "line " << line;
        EXPECT_EQ(taken && names.size() > 2 ? 1 : 0, folders.Count()) << "line " << line;
    }
}

// Launches started together take turns: a session waits for the file's lock.
TEST(IniFile, ASessionWaitsForTheLock) {
    TempDir dir;
    const CString ini = dir / "t.ini";
    std::atomic<bool> wrote(false);
    std::thread other;
    {
        IniFileLock held(ini);
        other = std::thread([&] {
            IniFileSession session(ini);
            wrote = SetStringINI(ini, "S", "K", "v") != FALSE;
        });
        Sleep(300);
        EXPECT_FALSE(wrote);
    }
    other.join();
    EXPECT_TRUE(wrote);
}

// A Unicode file is edited in its own encoding; the values read are CP932.
TEST(IniFile, KeepsTheEncodingAndReportsOnlyNonEmptyValues) {
    auto utf16 = [](std::u16string_view text) {
        return "\xFF\xFE"s + std::string((const char*)text.data(), text.size() * 2);
    };
    // Each file as it was and as the two writes leave it.
    const std::string files[][2] = {
        {utf16(u"[他]\r\nキー=値\r\n[S]\r\n K = 旧 \r\n"),
         utf16(u"[他]\r\nキー=値\r\n[S]\r\n K =表ソ\r\nL=新\r\n")},
        {u8"\uFEFF[他]\r\nキー=値\r\n[S]\r\n K = 旧 \r\n",
         u8"\uFEFF[他]\r\nキー=値\r\n[S]\r\n K =表ソ\r\nL=新\r\n"},
    };
    TempDir dir;
    const CString ini = dir / "t.ini";
    for (const auto& [before, after] : files) {
        ASSERT_TRUE(WriteBytes(ini, before));
        ASSERT_TRUE(SetStringINI(ini, "S", "K", "表ソ"));
        ASSERT_TRUE(SetStringINI(ini, "S", "L", "新"));
        EXPECT_EQ(after, ReadBytes(ini));
        CString text;
        EXPECT_TRUE(GetStringINI(ini, "他", "キー", text));
        EXPECT_STREQ("値", text);
    }
    CString text = "untouched";
    ASSERT_TRUE(SetStringINI(ini, "S", "K", ""));
    EXPECT_FALSE(GetStringINI(ini, "S", "K", text));
    EXPECT_FALSE(GetStringINI(dir / "none.ini", "S", "K", text));
    EXPECT_STREQ("untouched", text);
}
} // namespace

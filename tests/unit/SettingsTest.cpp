// Start-up's loading and write-back, and the INI file operations, on real
// files.
#include "app/FolderCollector.h"
#include "base/IniFile.h"
#include "base/SettingsFile.h"
#include "base/Settings.h"
#include "framework/App.h"
#include "support/Desktop.h"
#include "support/Files.h"

#include <aclapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
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
        SettingsAsRead options = LoadSettings(dir / "Vorelkin.exe", os);
        EXPECT_EQ(expected, ReadBytes(dir / "vrkcfg.ini")) << os;
        EXPECT_TRUE(Attributes(icons.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
        EXPECT_EQ(std::string(dir.Path()) + "\\", std::string(g_strExeDir));
        SaveSettings(options); // an untouched model writes the same file back
        EXPECT_EQ(expected, ReadBytes(dir / "vrkcfg.ini")) << os;
    }
}

// The popup's own change to a key (its sheet's icon for slot 1) is the
// user's choice and is written over an edit made meanwhile; a key only the
// edit changed keeps the edit's text as it stands, not normalised.
TEST(Settings, TheWriteBackPutsThisRunsOwnChangeOverAnEditMadeMeanwhile) {
    TempDir dir;
    SettingsAsRead read = LoadSettings(dir / "Vorelkin.exe", 0);
    std::string edited = ReadBytes(g_strIniPath);
    for (const char* key : {"PATH_1=", "PATH_2="})
        edited.insert(edited.find(key) + 7, "C:\\theirs");
    edited.replace(edited.find("ICON_INDEX_5=0"), 14, "ICON_INDEX_5=7x");
    ASSERT_TRUE(WriteBytes(g_strIniPath, edited));
    g_arrIconPath[1] = "C:\\mine.ico";
    SaveSettings(read);
    std::string expected = edited;
    const size_t path1 = expected.find("PATH_1=") + 7;
    expected.replace(path1, expected.find('\r', path1) - path1, "C:\\mine.ico");
    EXPECT_EQ(expected, ReadBytes(g_strIniPath));
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
        SettingsAsRead options;
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

// This process as the collector, and as a launch that sends forged
// messages: each is taken whole or refused whole; a device, a relative or
// drive-relative name or a dotted one is refused from its text alone, even
// where the file system would find the folder, and a share is taken; nothing
// is taken while a choice is in hand.
TEST(FolderCollector, TakesOnlySoundHandOversAndOnlyWhileCollecting) {
    TempDir dir;
    WriteBytes(dir / "file", "");
    CreateDirectoryA(dir / "b", nullptr);
    const std::wstring folder(WideText(dir.Path())), b = folder + L"\\b", end(2, L'\0');
    auto message = [](const std::wstring& names, const char* mark = "VKF2") {
        return mark + std::string((const char*)names.data(), names.size() * 2);
    };
    std::wstring many;
    for (int i = 0; i < 101; ++i)
        many += b + L'\0';
    // Wine serves \\server\share from dosdevices\unc\server\share in its prefix.
    const std::wstring share = L"\\\\vrkhost\\share";
    std::string unc = "Z:" + std::string(getenv("WINEPREFIX") ? getenv("WINEPREFIX") : "");
    std::replace(unc.begin(), unc.end(), '/', '\\');
    for (const char* level : {"\\dosdevices", "\\unc", "\\vrkhost", "\\share"})
        CreateDirectoryA((unc += level).c_str(), nullptr);
    // The message, whether a choice is in hand, the answer, the folders taken.
    const std::tuple<int, std::string, bool, HandOverAnswer, int> rows[] = {
        {__LINE__, message(folder + L"\\none" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(folder + L"\\file" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + end, "VKF1"), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + end).substr(1), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + L'\0'), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(L"b" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + L'\0' + L"b" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(share + end), false, HandOverAnswer::kTaken, 1},
        {__LINE__, message(L"\\\\vrkhost\\" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(folder.substr(0, 2) + L"b" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(L"\\\\?\\" + b + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(L"\\\\.\\" + b + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + L"\\..\\b" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + L"\\NUL.txt" + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(many + L'\0'), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(std::wstring(40000, L'a') + end), false, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + end), true, HandOverAnswer::kRefused, 0},
        {__LINE__, message(b + end), false, HandOverAnswer::kTaken, 1},
    };
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str()); // where "b" is a folder
    TargetFolders first, mine;
    first.Add(folder.c_str());
    FolderCollector collector;
    ASSERT_FALSE(collector.HandOverOrCollect(first, mine)); // no collector yet: this one
    ASSERT_TRUE(g_bCollectingFolders);
    const WideText pipe = CollectorPipeName(OwnExecutablePath());
    // One launch after another, as Explorer starts them: each must hear its
    // answer, however the last one's close and the next one's connect fall.
    for (const auto& [line, bytes, inHand, answer, taken] : rows) {
        // Read where the next byte cannot be: the rules never look past the
        // message's end.
        const SIZE_T page = 4096, pages = (bytes.size() + page - 1) / page;
        BYTE* base = (BYTE*)VirtualAlloc(nullptr, (pages + 1) * page, MEM_COMMIT, PAGE_READWRITE);
        DWORD old = 0;
        ASSERT_TRUE(base && VirtualProtect(base + pages * page, page, PAGE_NOACCESS, &old));
        BYTE* flush = base + pages * page - bytes.size();
        memcpy(flush, bytes.data(), bytes.size());
        TargetFolders read;
        EXPECT_EQ(answer == HandOverAnswer::kTaken || inHand,
                  ReadHandOver(flush, DWORD(bytes.size()), read))
            << "line " << line;
        VirtualFree(base, 0, MEM_RELEASE);
    }
    for (int round = 0; round < 20; ++round) {
        for (const auto& [line, bytes, inHand, answer, taken] : rows) {
            mine.Clear();
            std::optional<ChoiceInHand> choice;
            if (inHand)
                choice.emplace();
            std::atomic<bool> done(false);
            HandOverAnswer heard = HandOverAnswer::kNoCollector;
            std::thread launch([&] {
                heard = SendHandOver(pipe, bytes.data(), DWORD(bytes.size()));
                done = true;
            });
            // The collector takes folders on this thread, as on the popup's.
            WaitFor([&] {
                MSG m;
                while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&m);
                return done.load();
            });
            launch.join();
            EXPECT_EQ(answer, heard) << "line " << line << ", round " << round;
            EXPECT_EQ(taken, mine.Count()) << "line " << line;
        }
    }
    SetCurrentDirectoryW(previous);
    RemoveDirectoryA(unc.c_str());
}

// The collector's pipe admits this user alone, and no one can make a
// second instance of it.
TEST(FolderCollector, ThePipeAdmitsThisUserAloneAndOnce) {
    const WideText name(L"\\\\.\\pipe\\Vorelkin.test.admits");
    ScopedFile pipe(CreateCollectorPipe(name));
    ASSERT_TRUE(pipe.IsValid());
    EXPECT_EQ(INVALID_HANDLE_VALUE, ScopedFile(CreateCollectorPipe(name)).Get());
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                                             nullptr, nullptr, &acl, nullptr, &descriptor));
    ScopedLocalMemory owned(descriptor);
    ASSERT_TRUE(acl);
    ASSERT_EQ(1, acl->AceCount);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(acl, 0, (void**)&ace));
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    ScopedKernelHandle ownedToken(token);
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } me;
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, &me, sizeof(me), &size));
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
    EXPECT_TRUE(EqualSid(&ace->SidStart, me.user.User.Sid));

    // Labelled with our own integrity level: no process below it reads or
    // writes the pipe.
    PACL sacl = nullptr;
    PSECURITY_DESCRIPTOR labelled = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, GetSecurityInfo(pipe, SE_KERNEL_OBJECT, LABEL_SECURITY_INFORMATION,
                                             nullptr, nullptr, nullptr, &sacl, &labelled));
    ScopedLocalMemory ownedLabel(labelled);
    ASSERT_TRUE(sacl);
    ASSERT_EQ(1, sacl->AceCount);
    SYSTEM_MANDATORY_LABEL_ACE* label = nullptr;
    ASSERT_TRUE(GetAce(sacl, 0, (void**)&label));
    union {
        TOKEN_MANDATORY_LABEL label;
        BYTE bytes[sizeof(TOKEN_MANDATORY_LABEL) + SECURITY_MAX_SID_SIZE];
    } level;
    ASSERT_TRUE(GetTokenInformation(token, TokenIntegrityLevel, &level, sizeof(level), &size));
    EXPECT_EQ(SYSTEM_MANDATORY_LABEL_ACE_TYPE, label->Header.AceType);
    EXPECT_EQ(DWORD(SYSTEM_MANDATORY_LABEL_NO_WRITE_UP | SYSTEM_MANDATORY_LABEL_NO_READ_UP),
              label->Mask);
    EXPECT_TRUE(EqualSid(&label->SidStart, level.label.Label.Sid));
}

// A collector that read the folders and never answered may still mark
// them: the launch must not open its own popup for them, and says why.
TEST(FolderCollector, ALaunchThatHeardNoAnswerEndsWithABox) {
    TempDir dir;
    TargetFolders folders, mine;
    folders.Add(WideText(dir.Path()));
    const WideText name = CollectorPipeName(OwnExecutablePath());
    ScopedFile pipe(CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 65536, 65536, 0,
                                     nullptr));
    ASSERT_TRUE(pipe.IsValid());
    DWORD read = 0;
    std::thread silent([&] {
        static char message[65536];
        ConnectNamedPipe(pipe, nullptr);
        ReadFile(pipe, message, sizeof(message), &read, nullptr);
        DisconnectNamedPipe(pipe);
    });
    FolderCollector collector;
    std::vector<std::string> boxes =
        AnswerBoxesWhile([&] { EXPECT_TRUE(collector.HandOverOrCollect(folders, mine)); });
    ScopedFile unblock(CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    silent.join();
    EXPECT_LT(0u, read);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].find("返事がありませんでした"));
    EXPECT_FALSE(g_bCollectingFolders);
}

// Every argument is kept, however many (Send To has no limit), and a
// relative one is made full in the launch that was given it.
TEST(FolderCollector, ArgumentsAreMadeFullAndNoneIsLeftOut) {
    TempDir dir;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryA(dir.Path());
    std::wstring commandLine = L"v.exe sub ..\\up";
    for (int i = 0; i < 101; ++i)
        commandLine += L" C:\\f" + std::to_wstring(i);
    TargetFolders folders;
    EXPECT_EQ(103, AddFolderArguments(commandLine.c_str(), folders));
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(103, folders.Count());
    const std::string path(dir.Path());
    EXPECT_EQ(path + "\\sub", std::string(folders.Path(0)));
    EXPECT_EQ(path.substr(0, path.rfind('\\')) + "\\up", std::string(folders.Path(1)));
    EXPECT_EQ("C:\\f100", std::string(folders.Path(102)));
}

// Explorer may start the program by its short (8.3) path, a shortcut by its
// long one: both launches must meet at one pipe.
TEST(FolderCollector, OnePipeForEverySpellingOfTheExecutable) {
    TempDir dir;
    const std::wstring folder = std::wstring(WideText(dir.Path())) + L"\\Long Program Folder",
                       exe = folder + L"\\Vorelkin Program.exe";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(CString(dir / "Long Program Folder\\Vorelkin Program.exe"), "MZ"));
    wchar_t shortName[MAX_PATH] = L"";
    ASSERT_TRUE(GetShortPathNameW(exe.c_str(), shortName, MAX_PATH));
    ASSERT_NE(exe, shortName);
    EXPECT_STREQ(CollectorPipeName(exe.c_str()), CollectorPipeName(shortName));
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

// A launch that waited the lock's whole limit writes nothing, in a session
// or not: a write without the lock could undo the holder's. Its window never
// counts as hung, which would make the system ghost the popup and give up on
// it.
TEST(IniFile, AWaitForTheLockThatTimesOutWritesNothingAndKeepsTheWindowResponding) {
    TempDir dir;
    const CString ini = dir / "t.ini";
    const std::string before = "[S]\r\nK=old\r\n";
    ASSERT_TRUE(WriteBytes(ini, before));
    std::atomic<bool> held(false), done(false), wrote(true);
    std::thread holder([&] {
        IniFileLock lock(ini);
        held = true;
        WaitFor([&] { return done.load(); });
    });
    ASSERT_TRUE(WaitFor([&] { return held.load(); }));
    std::thread plain([&] { wrote = SetStringINI(ini, "S", "K", "plain") != FALSE; });
    HWND window =
        CreateWindowA("Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    MSG message; // responding until the wait
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
    {
        IniFileSession session(ini);
        EXPECT_FALSE(SetStringINI(ini, "S", "K", "session"));
    }
    EXPECT_FALSE(IsHungAppWindow(window));
    plain.join();
    EXPECT_FALSE(wrote);
    EXPECT_EQ(before, ReadBytes(ini));
    done = true;
    holder.join();
    DestroyWindow(window);
}

// A Unicode file is edited in its own encoding; the values read are CP932.
TEST(IniFile, KeepsUnicodeAndReportsOnlyNonEmptyValues) {
    auto utf16 = [](std::u16string_view text) {
        return "\xFF\xFE"s + std::string((const char*)text.data(), text.size() * 2);
    };
    // Each file as it was and as the two writes leave it. UTF-8, which the
    // profile reader takes for ANSI text, becomes UTF-16 as Windows reads it.
    const std::string after = utf16(u"[他]\r\nキー=値\r\n[S]\r\n K =表ソ\r\nL=新\r\n");
    const std::string files[][2] = {
        {utf16(u"[他]\r\nキー=値\r\n[S]\r\n K = 旧 \r\n"), after},
        {u8"\uFEFF[他]\r\nキー=値\r\n[S]\r\n K = 旧 \r\n", after},
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

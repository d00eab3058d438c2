// The real program on bad settings files, bad icon files, awkward folder
// paths, crowds of launches and a hung shell window: it starts, its popup
// works, nothing that is not its own is lost, and it ends.
#include "app/Settings.h"
#include "res/resource.h"
#include "support/IniLines.h"
#include "support/Install.h"
#include "support/LinuxShell.h"
#include "support/ShellWindows.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
using namespace std::string_literals;

const char* const kSettingKeys[][2] = {
    {"FolderPath", "ICON_FOLDER"}, {"IconPath", "PATH_0"},       {"IconPath", "ICON_INDEX_0"},
    {"IconPath", "PATH_1"},        {"IconPath", "ICON_INDEX_1"}, {"IconPath", "PATH_2"},
    {"IconPath", "ICON_INDEX_2"},  {"IconPath", "PATH_3"},       {"IconPath", "ICON_INDEX_3"},
    {"IconPath", "PATH_4"},        {"IconPath", "ICON_INDEX_4"}, {"IconPath", "PATH_5"},
    {"IconPath", "ICON_INDEX_5"},  {"IconPath", "PATH_6"},       {"IconPath", "ICON_INDEX_6"},
    {"IconPath", "PATH_7"},        {"IconPath", "ICON_INDEX_7"}, {"Property", "HELP"},
    {"Property", "ICON_COPY"},     {"Property", "TIP_DELETE"},   {"Property", "TOUMEIDO"}};

std::string Setting(const CString& ini, const char* section, const char* key) {
    CString value;
    GetStringINI(ini, section, key, value);
    return std::string(value);
}

// Every chunk appears in the text, byte for byte and in this order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& chunks) {
    size_t at = 0;
    for (const std::string& chunk : chunks) {
        size_t found = text.find(chunk, at);
        EXPECT_NE(std::string::npos, found) << "lost: " << chunk.substr(0, 80);
        if (found != std::string::npos)
            at = found + chunk.size();
    }
}

// Opens the popup on a folder, waits for its first paint.
HWND LaunchOn(const Install& install, Process& process, const CString& folder) {
    MovePointer(300, 200);
    if (!install.Launch(process, "\"" + folder + "\""))
        return nullptr;
    HWND chooser = WaitForChooser(process.Id());
    return chooser && WaitForFirstPaint(chooser) ? chooser : nullptr;
}

// Answers boxes until the program ends; their texts in order.
std::vector<std::string> AnswerUntilExit(Process& process) {
    std::vector<std::string> texts;
    for (int i = 0; i < 16 && process.IsRunning(); ++i) {
        BoxInfo box;
        if (AnswerBox(process.Id(), box, 2000))
            texts.push_back(std::string(box.text));
    }
    return texts;
}

// --- vrkcfg.ini that is not as the program writes it ---------------------

struct BadSettings {
    const char* name;
    std::string before;
    std::vector<std::string> foreign; // must survive, in order
    enum { Plain, ReadOnly, Immutable } lock;
};

void PrintTo(const BadSettings& file, std::ostream* out) {
    *out << file.name;
}

class SettingsFile : public ::testing::TestWithParam<BadSettings> {};

TEST_P(SettingsFile, PopupOpensAndForeignBytesSurviveTheWriteBack) {
    const BadSettings& file = GetParam();
    Install install;
    ASSERT_TRUE(WriteBytes(install.Ini(), file.before));
    if (file.lock == BadSettings::ReadOnly) {
        ASSERT_TRUE(SetFileAttributesA(install.Ini(), FILE_ATTRIBUTE_READONLY));
    }
    std::unique_ptr<Immutable> locked;
    if (file.lock == BadSettings::Immutable) {
        locked.reset(new Immutable(install.Ini()));
        if (!locked->Made())
            GTEST_SKIP() << "chattr +i is not available or refused here (needs "
                            "CAP_LINUX_IMMUTABLE and a file system with the flag)";
    }
    Process process;
    HWND chooser = LaunchOn(install, process, install.Target());
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_CANCEL_ITEM);
    ASSERT_NE(STILL_ACTIVE, process.WaitExit(30000));

    std::string after = ReadBytes(install.Ini());
    ExpectInOrder(after, file.foreign);
    if (file.lock == BadSettings::Immutable) {
        EXPECT_TRUE(file.before == after);
        return;
    }
    for (const auto& key : kSettingKeys)
        EXPECT_NE("", Setting(install.Ini(), key[0], key[1])) << key[1];
    if (file.lock == BadSettings::ReadOnly) {
        EXPECT_TRUE(Attributes(install.Ini()) & FILE_ATTRIBUTE_READONLY);
    }
}

const std::string kGarbage = "\0\x01\x02\xFF\xFE garbage ]][[ =\x95\r\n\x1A\x7F=\x81\n\rtail"s;
const std::string kHugeLines = [] {
    std::string lines;
    for (int i = 0; lines.size() < (2 << 20); ++i)
        lines += "line" + std::to_string(i) + " = 表ソ foreign value\r\n";
    return lines;
}();

const BadSettings kBadSettings[] = {
    {"Garbage", kGarbage, {kGarbage}, BadSettings::Plain},
    {"Huge",
     "[Mine]\r\n" + kHugeLines + "[Property]\r\nICON_COPY=1\r\n",
     {"[Mine]\r\n" + kHugeLines + "[Property]\r\nICON_COPY=1\r\n"},
     BadSettings::Plain},
    {"MissingSections",
     "; kept\r\n\r\n[Property]\r\n  TOUMEIDO = 7 \r\n; note\r\n\r\n[Other]\r\nx=1",
     {"; kept\r\n\r\n[Property]\r\n  TOUMEIDO =7\r\n; note\r\n", "\r\n[Other]\r\nx=1"},
     BadSettings::Plain},
    {"DuplicateKeys",
     "[IconPath]\r\nICON_INDEX_1=5\r\nICON_INDEX_1=7\r\nPATH_1=a.ico\r\n[IconPath]\r\n"
     "PATH_1=b.ico\r\n",
     {"[IconPath]\r\nICON_INDEX_1=5\r\nICON_INDEX_1=7\r\nPATH_1=a.ico\r\n",
      "[IconPath]\r\nPATH_1=b.ico\r\n"},
     BadSettings::Plain},
    {"ReadOnly",
     "; mine\r\n[Property]\r\nHELP=1\r\n",
     {"; mine\r\n[Property]\r\nHELP=1\r\n"},
     BadSettings::ReadOnly},
    {"Immutable",
     "; mine\r\n[Property]\r\nHELP=1\r\n",
     {"; mine\r\n[Property]\r\nHELP=1\r\n"},
     BadSettings::Immutable},
};

INSTANTIATE_TEST_SUITE_P(Bad, SettingsFile, ::testing::ValuesIn(kBadSettings),
                         [](const ::testing::TestParamInfo<BadSettings>& info) {
                             return std::string(info.param.name);
                         });

// --- icon files that cannot be shown -------------------------------------

TEST(BadIcons, PopupPaintsAndEveryRowStillWorks) {
    Install install(true);
    const CString bad = install.Dir() + "\\bad";
    ASSERT_TRUE(CreateDirectoryA(bad, nullptr));
    ASSERT_TRUE(WriteBytes(bad + "\\empty.ico", ""));
    ASSERT_TRUE(WriteBytes(bad + "\\text.ico", "not an icon\r\n"));
    ASSERT_TRUE(WriteBytes(bad + "\\cut.ico", "\0\0\1\0\x09\0\x10\x10"s)); // nine images promised
    const std::string good = std::string(install.Dir()) + "\\icons\\fld01.ico";
    ASSERT_TRUE(FileExists(good.c_str()));
    const std::string paths[] = {std::string(bad) + "\\missing.ico",
                                 std::string(bad) + "\\empty.ico",
                                 std::string(bad) + "\\text.ico",
                                 good,
                                 good,
                                 std::string(bad),
                                 std::string(bad) + "\\cut.ico"};
    const int indexes[] = {0, 0, 0, 99, -32000, 0, 0};
    std::string ini = "[IconPath]\r\n";
    for (int slot = 1; slot <= 7; ++slot)
        ini += "PATH_" + std::to_string(slot) + "=" + paths[slot - 1] + "\r\nICON_INDEX_" +
               std::to_string(slot) + "=" + std::to_string(indexes[slot - 1]) + "\r\n";
    ASSERT_TRUE(WriteBytes(install.Ini(), ini));

    Process process;
    HWND chooser = LaunchOn(install, process, install.Target());
    ASSERT_TRUE(chooser);
    // A negative index names a resource id, which Wine resolves to an icon
    // of the file; what the other slots show is nothing.
    for (int id = IDC_ICON_SLOT1; id <= IDC_ICON_SLOT7; ++id) {
        if (id != IDC_ICON_SLOT5) {
            EXPECT_FALSE(SendDlgItemMessageA(chooser, id, STM_GETICON, 0, 0)) << id;
        }
    }
    // Repaints and hovering over every row read the bad files again and again.
    for (int i = 0; i < 20; ++i)
        RedrawWindow(chooser, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    for (int id = IDC_SLOT1; id <= IDC_SLOT7; ++id)
        MoveToControl(chooser, id);
    EXPECT_TRUE(process.IsRunning());
    EXPECT_EQ("計画2", std::string(TextOf(GetDlgItem(chooser, IDC_SLOT7))));

    ClickControl(chooser, IDC_SLOT3);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    ClickControl(prompt, IDOK);
    EXPECT_EQ(0u, process.WaitExit());
    EXPECT_EQ(paths[2], Setting(install.Target() + "\\desktop.ini", ".ShellClassInfo", "IconFile"));
}

// --- awkward folder paths --------------------------------------------------

// A drive letter mapped onto a folder of its own, as Wine keeps drives:
// a link in the prefix's dosdevices.
class MappedDrive {
  public:
    explicit MappedDrive(const char* folder) {
        char prefix[MAX_PATH] = "";
        GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
        DWORD used = GetLogicalDrives();
        for (char letter = 'R'; letter <= 'Y' && !m_letter; ++letter) {
            if (used & (1u << (letter - 'A')))
                continue;
            std::string link = std::string(prefix) + "/dosdevices/" + (char)(letter + 32) + ":";
            if (*prefix && RunLinuxShell("ln -s " + ShellQuote(LinuxPath(folder)) + " " +
                                         ShellQuote(link)) == 0) {
                m_letter = letter;
                m_link = link;
            }
        }
    }
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;
    ~MappedDrive() {
        if (m_letter)
            RunLinuxShell("rm -f " + ShellQuote(m_link));
    }
    std::string Root() const { return m_letter ? std::string(1, m_letter) + ":\\" : ""; }

  private:
    char m_letter = 0;
    std::string m_link;
};

enum class PathKind { DoubleByte, Spaces, Length259, DriveRoot, Unc };

class FolderPath : public ::testing::TestWithParam<PathKind> {};

// Applies slot 1 through the popup on the folder. A 259-byte folder gives a
// desktop.ini path past MAX_PATH, which the files are written through.
TEST_P(FolderPath, IsMarkedThroughThePopup) {
    Install install(true);
    std::unique_ptr<MappedDrive> drive;
    std::string folder;
    struct RemovedAfter {
        std::string path;
        ~RemovedAfter() {
            if (!path.empty())
                RemoveTree(path.c_str());
        }
    } cleanUp;
    switch (GetParam()) {
    case PathKind::DoubleByte: // "表" and "ソ" end in the byte 0x5C
        folder = std::string(install.Dir()) + "\\表ソ\\ソ表";
        CreateDirectoryA((install.Dir() + "\\表ソ"), nullptr);
        break;
    case PathKind::Spaces:
        folder = std::string(install.Dir()) + "\\ a  b\\c  d";
        CreateDirectoryA((install.Dir() + "\\ a  b"), nullptr);
        break;
    case PathKind::Length259: {
        folder = std::string(install.Dir()) + "\\";
        folder += std::string(120, 'x') + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
        folder += std::string(259 - folder.size(), 'y');
        break;
    }
    case PathKind::DriveRoot:
        drive.reset(new MappedDrive(install.Target()));
        if (drive->Root().empty())
            GTEST_SKIP() << "no drive letter could be mapped (needs a Wine prefix with "
                            "dosdevices and a free letter R to Y)";
        folder = drive->Root();
        break;
    case PathKind::Unc: {
        char prefix[MAX_PATH] = "";
        GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix));
        std::string unc = "Z:" + std::string(prefix) + "/dosdevices/unc";
        for (char& c : unc)
            c = c == '/' ? '\\' : c;
        std::string host = "vrkhost" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(unc.c_str(), nullptr);
        cleanUp.path = unc + "\\" + host;
        CreateDirectoryA(cleanUp.path.c_str(), nullptr);
        CreateDirectoryA((cleanUp.path + "\\share").c_str(), nullptr);
        folder = "\\\\" + host + "\\share\\target";
        break;
    }
    }
    if (GetParam() != PathKind::DriveRoot && GetParam() != PathKind::Length259) {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    }
    if (GetParam() == PathKind::Length259) {
        ASSERT_EQ(259u, folder.size());
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) ||
                    RunLinuxShell("mkdir " + ShellQuote(LinuxPath(folder.c_str()))) == 0);
        ASSERT_TRUE(FileExists(folder.c_str()));
    }
    ASSERT_TRUE(WriteBytes(install.Ini(), "[IconPath]\r\nPATH_1=C:\\表\\a b.ico\r\n"));

    Process process;
    HWND chooser = LaunchOn(install, process, folder.c_str());
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_SLOT1);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    SetWindowTextA(GetDlgItem(prompt, IDC_COMMENT), "説明");
    ClickControl(prompt, IDOK);
    std::vector<std::string> boxes = AnswerUntilExit(process);
    EXPECT_EQ(0u, process.WaitExit());

    // Only the root ends in a backslash of its own; "表" ends in the byte 0x5C.
    std::string ini = folder + (GetParam() == PathKind::DriveRoot ? "" : "\\") + "desktop.ini";
    EXPECT_EQ(std::vector<std::string>(), boxes);
    EXPECT_EQ((std::vector<std::string>{"[.ShellClassInfo]", "ConfirmFileOp=0",
                                        "IconFile=C:\\表\\a b.ico", "IconIndex=0", "InfoTip=説明"}),
              IniLines(ReadBytes(ini.c_str())));
    EXPECT_TRUE(Attributes(folder.c_str()) & FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(Attributes(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

const char* const kPathKindNames[] = {"DoubleByte", "Spaces", "Length259", "DriveRoot", "Unc"};

void PrintTo(PathKind kind, std::ostream* out) {
    *out << kPathKindNames[(int)kind];
}

std::string PathKindName(const ::testing::TestParamInfo<PathKind>& info) {
    return kPathKindNames[(int)info.param];
}

INSTANTIATE_TEST_SUITE_P(Kinds, FolderPath,
                         ::testing::Values(PathKind::DoubleByte, PathKind::Spaces,
                                           PathKind::Length259, PathKind::DriveRoot, PathKind::Unc),
                         PathKindName);

// --- many launches, one settings file --------------------------------------

class TenLaunches : public ::testing::TestWithParam<bool> {};

TEST_P(TenLaunches, LeaveTheSettingsFileCompleteAndParseable) {
    const bool existing = GetParam();
    Install install;
    const std::string foreign = "; mine\r\n[Mine]\r\nkeep = 1\r\n";
    if (existing) {
        ASSERT_TRUE(WriteBytes(install.Ini(), foreign + "[Property]\r\nICON_COPY=1\r\n"));
    }
    Process processes[10];
    for (Process& process : processes)
        ASSERT_TRUE(install.Launch(process, "\"" + install.Target() + "\""));
    std::vector<HWND> choosers;
    for (Process& process : processes) {
        HWND chooser = WaitForChooser(process.Id(), 60000);
        ASSERT_TRUE(chooser);
        choosers.push_back(chooser);
    }
    for (HWND chooser : choosers)
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    for (Process& process : processes)
        ASSERT_NE(STILL_ACTIVE, process.WaitExit(60000));

    std::string text = ReadBytes(install.Ini());
    for (const auto& key : kSettingKeys) {
        size_t count = 0;
        for (const std::string& line : IniLines(text))
            count += line.compare(0, strlen(key[1]) + 1, std::string(key[1]) + "=") == 0;
        EXPECT_EQ(1u, count) << key[1];
        EXPECT_NE("", Setting(install.Ini(), key[0], key[1])) << key[1];
    }
    // 21 keys, 3 headers, and the 3 foreign lines when there were any.
    EXPECT_EQ(24u + (existing ? 3 : 0), IniLines(text).size()) << text;
    if (existing) {
        EXPECT_EQ(0u, text.find(foreign));
        EXPECT_EQ("1", Setting(install.Ini(), "Property", "ICON_COPY"));
    }
}

INSTANTIATE_TEST_SUITE_P(FileBefore, TenLaunches, ::testing::Bool());

// --- a shell window that does not answer ------------------------------------

TEST(HungShell, ProgramStillEndsAndMarksTheFolder) {
    // These windows belong to this thread, which handles no message while it
    // waits for the program: to the program they are hung.
    ShellWindows shell;
    for (int i = 0; i < 4; ++i)
        shell.Top("CabinetWClass", "hung folder", true);
    shell.Top("SysListView32", "hung list", true);
    shell.Top("ExploreWClass", "hung explorer", true);

    Install install;
    Process process;
    HWND chooser = LaunchOn(install, process, install.Target());
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_STANDARD);
    // The hung thread costs the program one time limit (3 s), not one per
    // window and walk.
    EXPECT_EQ(0u, process.WaitExit(6000));
    EXPECT_TRUE(FileExists(install.Target() + "\\desktop.ini"));
}
} // namespace

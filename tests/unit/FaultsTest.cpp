// IconChange on folders and desktop.ini files that are not as expected: each
// case gives a clear message, keeps every byte and attribute that is not
// ours, and returns.
#include "app/Settings.h"
#include "framework/App.h"
#include "support/BoxWatcher.h"
#include "support/LinuxShell.h"
#include "support/TestFiles.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>

namespace {
using namespace std::string_literals;
using Texts = std::vector<std::string>;

// A CP932 text as UTF-16 (little-endian) or UTF-8 file bytes after their mark.
std::string Unicode(const std::string& text, UINT codePage) {
    int count = MultiByteToWideChar(932, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide(count, L'\0');
    MultiByteToWideChar(932, 0, text.data(), (int)text.size(), &wide[0], count);
    if (codePage == 1200)
        return "\xFF\xFE"s + std::string((const char*)wide.data(), wide.size() * 2);
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, &bytes[0], length, nullptr, nullptr);
    return "\xEF\xBB\xBF" + bytes;
}

class Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        g_bIconCopy = g_bTipDelete = false;
        ASSERT_TRUE(CreateDirectoryA(Folder(), nullptr));
    }
    CString Folder() const { return m_dir / "target"; }
    CString Ini() const { return Folder() + "\\desktop.ini"; }

    // IconChange with every box answered and kept.
    BOOL Apply(const CString& icon, int index, int tipFlag, const CString& description,
               const CString& folder) {
        BoxWatcher watcher;
        BOOL result = CSelectDlg::IconChange(icon, index, folder, tipFlag, description);
        m_boxes.clear();
        for (const BoxInfo& box : watcher.Stop())
            m_boxes.push_back(DescribeBox(box));
        return result;
    }
    BOOL ApplySlot() { return Apply("C:\\i.ico", 2, 1, "tip", Folder()); }

    CWinApp m_app{"Vorelkin"};
    TempDir m_dir;
    Texts m_boxes;
};

// An existing desktop.ini: what it holds before, and after a slot (or the
// standard entry, which leaves InfoTip alone) has been applied.
struct Existing {
    const char* name;
    std::string before;
    int tipFlag;
    std::string after;
};

void PrintTo(const Existing& file, std::ostream* out) {
    *out << file.name;
}

class ExistingDesktopIni : public Faults, public ::testing::WithParamInterface<Existing> {};

TEST_P(ExistingDesktopIni, KeepsEveryByteButOurFourKeys) {
    const Existing& file = GetParam();
    ASSERT_TRUE(WriteBytes(Ini(), file.before));
    bool slot = file.tipFlag == 1;
    ASSERT_TRUE(
        Apply(slot ? "C:\\表.ico" : "", slot ? 2 : 0, file.tipFlag, slot ? "説明" : "", Folder()));
    EXPECT_EQ(Texts(), m_boxes);
    std::string after = ReadBytes(Ini());
    EXPECT_EQ(file.after.size(), after.size());
    EXPECT_TRUE(file.after == after) << ::testing::PrintToString(after);
    EXPECT_TRUE(Attributes(Ini()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Attributes(Folder()) & FILE_ATTRIBUTE_SYSTEM);
}

const std::string kMegabyteTip = [] {
    std::string tip;
    while (tip.size() < (1 << 20))
        tip += "ab表ソ ";
    return tip;
}();

const Existing kExisting[] = {
    {"OtherSectionsCommentsBlankLinesAndOddSpacing",
     "; comment\r\n\r\n[Other]  \r\n  key  =  value  \r\n\r\n[.ShellClassInfo]\r\n"
     "   IconFile = old.ico   \r\nMine = keep \r\n\t\r\n[After]\r\ny=2",
     1,
     "; comment\r\n\r\n[Other]  \r\n  key  =  value  \r\n\r\n[.ShellClassInfo]\r\n"
     "   IconFile =C:\\表.ico\r\nMine = keep \r\nConfirmFileOp=0\r\nIconIndex=2\r\nInfoTip=説明\r\n"
     "\t\r\n[After]\r\ny=2"},
    {"LineFeedLineEnds", "[.ShellClassInfo]\nMine=1\n[X]\na=b\n", 1,
     "[.ShellClassInfo]\nMine=1\nConfirmFileOp=0\nIconFile=C:\\表.ico\nIconIndex=2\n"
     "InfoTip=説明\n[X]\na=b\n"},
    {"BinaryJunkAndNoLastLineEnd",
     "\0\x01\xFF\xFE junk\x1A\r\n[.ShellClassInfo]\r\nMine=\x81\r\n\0=\x7F\rlone\r\n[ゾ]\r\na=\x95"s,
     1,
     "\0\x01\xFF\xFE junk\x1A\r\n[.ShellClassInfo]\r\nMine=\x81\r\n\0=\x7F\rlone\r\n"
     "ConfirmFileOp=0\r\nIconFile=C:\\表.ico\r\nIconIndex=2\r\nInfoTip=説明\r\n[ゾ]\r\na=\x95"s},
    {"SectionAtTheEndWithoutLineEnd", "x=1\r\n[.ShellClassInfo]", 1,
     "x=1\r\n[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=C:\\表.ico\r\nIconIndex=2\r\n"
     "InfoTip=説明\r\n"},
    {"DuplicateSectionsAndKeysOnlyTheFirstIsOurs",
     "[.shellclassinfo]\r\nICONFILE=a\r\nIconFile=b\r\n[.ShellClassInfo]\r\nIconIndex=9\r\n", 1,
     "[.shellclassinfo]\r\nICONFILE=C:\\表.ico\r\nIconFile=b\r\nConfirmFileOp=0\r\nIconIndex=2\r\n"
     "InfoTip=説明\r\n[.ShellClassInfo]\r\nIconIndex=9\r\n"},
    {"MegabyteInfoTipKeptByTheStandardEntry",
     "[.ShellClassInfo]\r\nInfoTip=" + kMegabyteTip + "\r\nIconFile=x.ico\r\n", 0,
     "[.ShellClassInfo]\r\nInfoTip=" + kMegabyteTip +
         "\r\nIconFile=\r\nConfirmFileOp=0\r\nIconIndex=0\r\n"},
    {"Utf16WithByteOrderMark",
     Unicode("[他]\r\nキー=値\r\n\r\n[.ShellClassInfo]\r\n IconFile = 旧.ico\r\n", 1200), 1,
     Unicode("[他]\r\nキー=値\r\n\r\n[.ShellClassInfo]\r\n IconFile =C:\\表.ico\r\n"
             "ConfirmFileOp=0\r\nIconIndex=2\r\nInfoTip=説明\r\n",
             1200)},
    {"Utf8WithByteOrderMark", Unicode("[.ShellClassInfo]\r\nInfoTip=古い\r\n; 注\r\n", 65001), 1,
     Unicode("[.ShellClassInfo]\r\nInfoTip=説明\r\n; 注\r\nConfirmFileOp=0\r\n"
             "IconFile=C:\\表.ico\r\nIconIndex=2\r\n",
             65001)},
};

INSTANTIATE_TEST_SUITE_P(Files, ExistingDesktopIni, ::testing::ValuesIn(kExisting),
                         [](const ::testing::TestParamInfo<Existing>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(Faults, UnicodeAndHugeDescriptionsReadBackAsCp932CutTo255Bytes) {
    ASSERT_TRUE(WriteBytes(Ini(), Unicode("[.ShellClassInfo]\r\nInfoTip=表ソ説明\r\n", 1200)));
    EXPECT_EQ("表ソ説明", std::string(CSelectDlg::ReadInfoTip(Folder())));
    ASSERT_TRUE(WriteBytes(Ini(), "[.ShellClassInfo]\r\nInfoTip=" + kMegabyteTip + "\r\n"));
    std::string tip(CSelectDlg::ReadInfoTip(Folder()));
    EXPECT_EQ(kMegabyteTip.substr(0, tip.size()), tip);
    EXPECT_GE(tip.size(), 254u);
    EXPECT_LE(tip.size(), 255u);
}

// Every attribute bit the platform keeps on a folder and on desktop.ini stays
// set; ours are only added.
class AttributeBits : public Faults, public ::testing::WithParamInterface<DWORD> {};

TEST_P(AttributeBits, AreKept) {
    ASSERT_TRUE(WriteBytes(Ini(), "[.ShellClassInfo]\r\n"));
    SetFileAttributesA(Folder(), GetParam());
    SetFileAttributesA(Ini(), GetParam());
    DWORD folderBefore = Attributes(Folder()), fileBefore = Attributes(Ini());
    ASSERT_TRUE(ApplySlot());
    EXPECT_EQ(folderBefore | FILE_ATTRIBUTE_SYSTEM, Attributes(Folder()));
    EXPECT_EQ(fileBefore | FILE_ATTRIBUTE_HIDDEN, Attributes(Ini()));
    EXPECT_EQ(Texts(), m_boxes);
}

INSTANTIATE_TEST_SUITE_P(Bits, AttributeBits,
                         ::testing::Values(FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN,
                                           FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_ARCHIVE,
                                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED,
                                           FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));

TEST_F(Faults, FolderPathNamingAFileReportsEveryStepAndLeavesTheFile) {
    CString file = m_dir / "plain.txt";
    ASSERT_TRUE(WriteBytes(file, "mine"));
    DWORD before = Attributes(file);
    EXPECT_FALSE(Apply("C:\\i.ico", 2, 1, "tip", file));
    std::string path(file);
    ASSERT_EQ(8u, m_boxes.size());
    EXPECT_EQ(FrameworkBox("ConfirmFileOpのｴﾗｰですSetStringINI"), m_boxes[0]);
    EXPECT_EQ(FrameworkBox("InfoTipのｴﾗｰですSetStringINI"), m_boxes[3]);
    EXPECT_EQ(FrameworkBox("SetFileAttributesのｴﾗｰです" + path), m_boxes[4]);
    EXPECT_EQ(FrameworkBox("SetFileAttributesのｴﾗｰです" + path + "\\desktop.ini"), m_boxes[5]);
    EXPECT_EQ(FrameworkBox("IconChange()関数にてエラー発生 " + path), m_boxes[6]);
    EXPECT_EQ(0u, m_boxes[7].find("エラー|i|")) << m_boxes[7];
    // A file is no folder to customize: it gains no System bit.
    EXPECT_EQ(before, Attributes(file));
    EXPECT_EQ("mine", ReadBytes(file));
}

// Root writes files whose read-only bit is set: under Wine as root the change
// goes through and the bit stays; where the bit is honoured every key is
// reported and the file keeps its bytes.
TEST_F(Faults, ReadOnlyDesktopIniIsWrittenOrReportedAsThePlatformDecides) {
    const std::string before = "[.ShellClassInfo]\r\nMine=1\r\n";
    ASSERT_TRUE(WriteBytes(Ini(), before));
    ASSERT_TRUE(SetFileAttributesA(Ini(), FILE_ATTRIBUTE_READONLY));
    bool honoured = !ScopedFile(CreateFileA(Ini(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr))
                         .IsValid();
    BOOL result = ApplySlot();
    EXPECT_TRUE(Attributes(Ini()) & FILE_ATTRIBUTE_READONLY);
    if (honoured) {
        EXPECT_FALSE(result);
        EXPECT_EQ(before, ReadBytes(Ini()));
        ASSERT_FALSE(m_boxes.empty());
        EXPECT_EQ(FrameworkBox("ConfirmFileOpのｴﾗｰですSetStringINI"), m_boxes.front());
    } else {
        EXPECT_TRUE(result);
        EXPECT_EQ(Texts(), m_boxes);
        EXPECT_EQ(0u, ReadBytes(Ini()).find(before));
    }
}

// chattr +i holds even against root and inside Wine's server.
class ImmutableTarget : public Faults, public ::testing::WithParamInterface<bool> {};

TEST_P(ImmutableTarget, ReportsEveryStepAndChangesNoByte) {
    const bool wholeFolder = GetParam();
    // An immutable folder takes no new file; an immutable file no change.
    const std::string before = wholeFolder ? "" : "[.ShellClassInfo]\r\nIconFile=old.ico\r\n";
    if (!wholeFolder) {
        ASSERT_TRUE(WriteBytes(Ini(), before));
    }
    DWORD attributesBefore = Attributes(Ini());
    Immutable locked(wholeFolder ? Folder() : Ini());
    if (!locked.Made())
        GTEST_SKIP() << "chattr +i is not available or refused here (needs CAP_LINUX_IMMUTABLE "
                        "and a file system with the flag)";
    EXPECT_FALSE(ApplySlot());
    std::string folder(Folder());
    ASSERT_GE(m_boxes.size(), 7u);
    EXPECT_EQ(FrameworkBox("ConfirmFileOpのｴﾗｰですSetStringINI"), m_boxes[0]);
    EXPECT_EQ(FrameworkBox("InfoTipのｴﾗｰですSetStringINI"), m_boxes[3]);
    EXPECT_EQ(FrameworkBox("SetFileAttributesのｴﾗｰです" + folder + "\\desktop.ini"),
              m_boxes[m_boxes.size() - 3]);
    EXPECT_EQ(FrameworkBox("IconChange()関数にてエラー発生 " + folder),
              m_boxes[m_boxes.size() - 2]);
    EXPECT_EQ(0u, m_boxes.back().find("エラー|i|")) << m_boxes.back();
    EXPECT_EQ(before, ReadBytes(Ini()));
    EXPECT_EQ(attributesBefore, Attributes(Ini()));
}

INSTANTIATE_TEST_SUITE_P(FileOrFolder, ImmutableTarget, ::testing::Bool());
} // namespace

// The restore rule on desktop.ini's bytes, and the journal on real folders.
#include "base/Settings.h"
#include "framework/App.h"
#include "support/Desktop.h"
#include "support/Files.h"
#include "popup/SelectDlg.h"
#include "journal/Journal.h"
#include "undo/Restore.h"
#include "undo/RestoreRule.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace {
const char kProps[] = "[.ShellClassInfo]\r\nIconResource=C:\\a.dll,3\r\nInfoTip=mine\r\n"
                      "[ViewState]\r\nMode=\r\n";
const char kMarked[] = "[.ShellClassInfo]\r\nInfoTip=mine\r\nConfirmFileOp=0\r\n"
                       "IconFile=C:\\b.ico\r\nIconIndex=2\r\n[ViewState]\r\nMode=\r\n";
const char kUnmarked[] = "[.ShellClassInfo]\r\nIconResource=C:\\a.dll,3\r\nInfoTip=mine\r\n"
                         "[ViewState]\r\nMode=\r\n";
const char* const kNone = nullptr; // no file

IniBytesState State(const char* bytes) {
    return bytes ? IniBytesState{true, bytes} : IniBytesState{};
}
std::string Shown(const IniBytesState& state) {
    return state.present ? std::string(state.bytes) : "(none)";
}
} // namespace

TEST(UndoRule, OnlyOurKeysGoBackAndNeverOverAnotherChange) {
    const auto exact = IniPlan::kExact, keys = IniPlan::kKeys, changed = IniPlan::kChanged;
    const std::string added = std::string(kMarked) + "Sort=1\r\n";
    const std::string iconEdited = "[.ShellClassInfo]\r\nInfoTip=mine\r\nConfirmFileOp=0\r\n"
                                   "IconFile=C:\\hand.ico\r\nIconIndex=2\r\n";
    // now, what the change wrote, what it found; the plan and the result
    const std::tuple<int, const char*, const char*, const char*, IniPlan, const char*> rows[] = {
        {__LINE__, kMarked, kMarked, kProps, exact, kProps},
        {__LINE__, kMarked, kMarked, kNone, exact, kNone},
        {__LINE__, kNone, kNone, kMarked, exact, kMarked}, // redo after a removal
        // a line added since stays; IconResource comes back where it stood
        {__LINE__, added.c_str(), kMarked, kProps, keys,
         "[.ShellClassInfo]\r\nInfoTip=mine\r\nIconResource=C:\\a.dll,3\r\n"
         "[ViewState]\r\nMode=\r\nSort=1\r\n"},
        {__LINE__, iconEdited.c_str(), kMarked, kProps, changed, ""},
        {__LINE__, kNone, kMarked, kProps, changed, ""}, // desktop.ini deleted since
        // only empty sections left: no file
        {__LINE__, "[.ShellClassInfo]\r\nIconFile=x\r\n\r\n[ViewState]\r\n",
         "[.ShellClassInfo]\r\nIconFile=y\r\n", kNone, changed, ""},
        {__LINE__, "[.ShellClassInfo]\r\nIconFile=y\r\n\r\n[ViewState]\r\n",
         "[.ShellClassInfo]\r\nIconFile=y\r\n", kNone, keys, kNone},
        // a description the change did not write is not compared
        {__LINE__, "[.ShellClassInfo]\r\nIconFile=y\r\nInfoTip=new\r\nA=1\r\n",
         "[.ShellClassInfo]\r\nIconFile=y\r\nInfoTip=old\r\n",
         "[.ShellClassInfo]\r\nIconFile=x\r\nInfoTip=old\r\n", keys,
         "[.ShellClassInfo]\r\nIconFile=x\r\nInfoTip=new\r\nA=1\r\n"},
        // an empty IconFile (標準) is a value, not a missing key
        {__LINE__, "[.ShellClassInfo]\r\nIconFile=\r\nA=1\r\n",
         "[.ShellClassInfo]\r\nIconFile=\r\n", "[.ShellClassInfo]\r\n", keys,
         "[.ShellClassInfo]\r\nA=1\r\n"},
    };
    for (const auto& [line, now, written, earlier, plan, result] : rows) {
        IniBytesState restored;
        EXPECT_EQ(plan, PlanRestore(State(now), State(written), State(earlier), restored))
            << "line " << line;
        if (plan != changed) {
            EXPECT_EQ(Shown(State(result)), Shown(restored)) << "line " << line;
        }
    }
    // Without a record: the four keys go, IconResource and other lines stay.
    const std::tuple<int, const char*, bool, const char*> unmarks[] = {
        {__LINE__, kMarked, true, "[.ShellClassInfo]\r\n[ViewState]\r\nMode=\r\n"},
        {__LINE__, "[.ShellClassInfo]\r\nIconFile=a\r\nIconIndex=0\r\n", true, kNone},
        {__LINE__, kUnmarked, true,
         "[.ShellClassInfo]\r\nIconResource=C:\\a.dll,3\r\n"
         "[ViewState]\r\nMode=\r\n"},
        {__LINE__, "[ViewState]\r\nMode=\r\n", false, "[ViewState]\r\nMode=\r\n"},
    };
    for (const auto& [line, now, marked, result] : unmarks) {
        IniBytesState left;
        EXPECT_EQ(marked, PlanUnmark(State(now), left)) << "line " << line;
        EXPECT_EQ(Shown(State(result)), Shown(left)) << "line " << line;
    }
}

// A journal cut short keeps every entry before the cut; one that cannot be
// written costs no mark and tells so once.
TEST(UndoJournal, SurvivesACutAndNeverStopsAMark) {
    CWinApp app("Vorelkin");
    g_bIconCopy = g_bTipDelete = false;
    g_arrIconPath.SetSize(IconSlot::Count); // the undo item's name matches the slots
    TempDir dir;
    const CString folder = dir / "f";
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    RemoveTree(JournalFile());
    auto mark = [&](const char* icon) {
        std::vector<std::string> boxes =
            AnswerBoxesWhile([&] { CSelectDlg::IconChange(icon, 0, folder, 1, CString("d")); });
        EXPECT_EQ(std::vector<std::string>(), boxes);
    };
    mark("C:\\first.ico");
    const std::string afterFirst = ReadBytes(dir / "f\\desktop.ini");
    const size_t firstEntry = ReadBytes(JournalFile()).size();
    mark("C:\\second.ico");
    const std::string journal = ReadBytes(JournalFile());
    std::mt19937 random(std::random_device{}());
    const size_t cut = firstEntry + random() % (journal.size() - firstEntry - 1);
    ASSERT_TRUE(WriteBytes(JournalFile(), journal.substr(0, cut))) << "cut at " << cut;
    // A third mark lands after the torn entry, and both whole ones undo.
    mark("C:\\third.ico");
    EXPECT_EQ(std::wstring(L"その他 (1 個のフォルダ)"), std::wstring(NextActionName(true)));
    RestoreReport report;
    EXPECT_TRUE(TakeBackLast(true, report));
    EXPECT_NE(std::string::npos, ReadBytes(dir / "f\\desktop.ini").find("second.ico"));
    // As the first mark left it, so that its undo finds its own bytes.
    SetFileAttributesA(dir / "f\\desktop.ini", FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteBytes(dir / "f\\desktop.ini", afterFirst));
    EXPECT_TRUE(TakeBackLast(true, report)) << "cut at " << cut;
    EXPECT_FALSE(FileExists(dir / "f\\desktop.ini")) << "cut at " << cut;

    // Where the journal's folder is a file, the mark is made and told once.
    RemoveTree(JournalFile().Left(JournalFile().GetLength() - 10));
    ASSERT_TRUE(WriteBytes(JournalFile().Left(JournalFile().GetLength() - 10), "x"));
    std::vector<std::string> boxes = AnswerBoxesWhile([&] {
        CSelectDlg::IconChange("C:\\a.ico", 0, folder, 1, CString("d"));
        CSelectDlg::IconChange("C:\\b.ico", 0, folder, 1, CString("d"));
    });
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].find("この変更は元に戻せません"));
    EXPECT_NE(std::string::npos, ReadBytes(dir / "f\\desktop.ini").find("b.ico"));
    RemoveTree(JournalFile().Left(JournalFile().GetLength() - 10));
}

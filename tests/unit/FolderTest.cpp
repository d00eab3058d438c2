// IconChange, ReadInfoTip and the refresh passes on real folders. The
// shell's windows are stood in for by windows of this process that record
// what reaches them.
#include "app/Settings.h"
#include "app/WideText.h"
#include "folder/Refresh.h"
#include "framework/App.h"
#include "support/Desktop.h"
#include "ui/SelectDlg.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <tuple>
#include <utility>

namespace {
using Texts = std::vector<std::string>;

// Windows of the shell's classes. Each records "K" (F5 going down, with its
// key data), "C" (the refresh command), "N" (a change notice it registered
// for) or "?" (any other key or command).
class Shell {
  public:
    Shell() {
        for (const char* name : {"CabinetWClass", "ExploreWClass", "Progman", "SysListView32",
                                 "SHELLDLL_DefView", "cabinetwclass", "Other"}) {
            WNDCLASSA windowClass = {0,       Record,  0,       0,       ModuleOf(name),
                                     nullptr, nullptr, nullptr, nullptr, name};
            RegisterClassA(&windowClass); // fails harmlessly the second time
        }
        s_received.clear();
    }
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    ~Shell() {
        for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
            DestroyWindow(it->second);
        Take();
    }
    HWND Add(const char* name, const char* className, HWND parent, const char* title = "",
             bool visible = true) {
        DWORD style = (parent ? WS_CHILD : WS_OVERLAPPEDWINDOW) | (visible ? WS_VISIBLE : 0);
        m_windows.push_back({name, CreateWindowA(className, title, style, 0, 0, 99, 99, parent,
                                                 nullptr, ModuleOf(className), nullptr)});
        return m_windows.back().second;
    }
    // "name=trace" of each window that received something, in creation order.
    std::string Take() {
        for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&message);
        std::string summary;
        for (const auto& [name, window] : m_windows) {
            std::string trace;
            for (const auto& [to, what] : s_received)
                trace += to == window ? std::string(1, what) : "";
            summary += trace.empty() ? "" : (summary.empty() ? "" : " ") + name + "=" + trace;
        }
        s_received.clear();
        return summary;
    }

    static inline std::vector<std::pair<HWND, char>> s_received;
    // Closed by the next refresh command, as Explorer closes a window whose folder is gone.
    static inline HWND s_closedByCommand = nullptr;

  private:
    static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != WM_KEYDOWN && message != WM_KEYUP && message != WM_COMMAND &&
            message != WM_APP)
            return DefWindowProcA(window, message, wParam, lParam);
        bool f5 = message == WM_KEYDOWN && wParam == VK_F5 && lParam == 0x003F0001;
        bool command = message == WM_COMMAND && wParam == 0x0001A220 && lParam == 0;
        s_received.push_back({window, f5 ? 'K' : command ? 'C' : message == WM_APP ? 'N' : '?'});
        if (command && s_closedByCommand)
            DestroyWindow(std::exchange(s_closedByCommand, nullptr));
        return 0;
    }
    // Class names are unique per module whatever their case, so the
    // lower-case one belongs to another module.
    static HINSTANCE ModuleOf(const char* name) {
        return GetModuleHandleA(strcmp(name, "cabinetwclass") == 0 ? "kernel32.dll" : nullptr);
    }

    std::vector<std::pair<std::string, HWND>> m_windows;
};

const DWORD kOurBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        g_bIconCopy = g_bTipDelete = false;
        ASSERT_TRUE(CreateDirectoryA(Folder(), nullptr));
    }
    CString Folder() const { return m_dir / "target"; }
    CString Ini() const { return Folder() + "\\desktop.ini"; }

    // IconChange with its boxes answered; what it showed, sent and told is kept.
    BOOL Apply(const char* icon, int index, int tipFlag, const char* description,
               const CString& folder) {
        // The folder window hears of changes to the folder, as Explorer's does.
        SHChangeNotifyEntry entry = {ILCreateFromPathA(folder), FALSE}; // none for no folder
        ULONG notices = entry.pidl ? SHChangeNotifyRegister(m_cabinet, SHCNRF_ShellLevel,
                                                            SHCNE_UPDATEITEM, WM_APP, 1, &entry)
                                   : 0;
        ILFree((PIDLIST_ABSOLUTE)entry.pidl);
        BOOL result = FALSE;
        m_boxes = AnswerBoxesWhile(
            [&] { result = CSelectDlg::IconChange(icon, index, folder, tipFlag, description); });
        m_refreshed = m_shell.Take();
        SHChangeNotifyDeregister(notices);
        return result;
    }
    BOOL Apply(const char* icon, int tipFlag = 1) { return Apply(icon, 2, tipFlag, "x", Folder()); }
    void ExpectOneRefreshAndNoBox() {
        EXPECT_EQ(Texts(), m_boxes);
        EXPECT_EQ("cabinet=CN", m_refreshed);
    }

    CWinApp m_app{"Vorelkin"};
    TempDir m_dir;
    Shell m_shell;
    HWND m_cabinet = m_shell.Add("cabinet", "CabinetWClass", nullptr, "a folder");
    Texts m_boxes;
    std::string m_refreshed;
};

// The four keys in order, the folder's System bit and the file's Hidden bit
// added to whatever bits they had; "標準" keeps the description unless
// TIP_DELETE is on.
TEST_F(Engine, WritesTheKeysAndAddsTheAttributes) {
    const std::string head = "[.ShellClassInfo]\r\n", keys = "ConfirmFileOp=0\r\nIconFile=";
    // desktop.ini before (null: none), attribute bits of both before, the
    // arguments and TIP_DELETE, desktop.ini after.
    const std::tuple<int, const char*, DWORD, const char*, int, int, const char*, bool, std::string>
        rows[] = {
            {__LINE__, nullptr, 0, "D:\\i\\f.ico", 3, 1, "abc", false,
             head + keys + "D:\\i\\f.ico\r\nIconIndex=3\r\nInfoTip=abc\r\n"},
            {__LINE__,
             "; m\r\n[O]\r\nIconFile=x\r\n[.ShellClassInfo]\r\nIconIndex=9\r\nM=k\r\n[A]\r\n", 0,
             "C:\\i.ico", -101, 1, "", false,
             "; m\r\n[O]\r\nIconFile=x\r\n[.ShellClassInfo]\r\nIconIndex=-101\r\nM=k\r\n" + keys +
                 "C:\\i.ico\r\nInfoTip=\r\n[A]\r\n"},
            {__LINE__, "[.ShellClassInfo]\r\nInfoTip=tip\r\n", 0, "", 0, 0, "", false,
             head + "InfoTip=tip\r\n" + keys + "\r\nIconIndex=0\r\n"},
            {__LINE__, "[.ShellClassInfo]\r\nInfoTip=tip\r\n", 0, "", 0, 0, "", true,
             head + "InfoTip=\r\n" + keys + "\r\nIconIndex=0\r\n"},
            {__LINE__, nullptr, 0, "C:\\i.ico", 1, 1, "one\r\ntwo\n\rIconFile=evil\r[x]", false,
             head + keys + "C:\\i.ico\r\nIconIndex=1\r\nInfoTip=one two  IconFile=evil [x]\r\n"},
            {__LINE__, "[.ShellClassInfo]\r\n",
             kOurBits | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, "C:\\i.ico", 1,
             1, "x", false, head + keys + "C:\\i.ico\r\nIconIndex=1\r\nInfoTip=x\r\n"},
        };
    for (const auto& [line, before, bits, icon, index, tipFlag, description, tipDelete, after] :
         rows) {
        SCOPED_TRACE(line);
        RemoveTree(Ini());
        SetFileAttributesA(Folder(), bits);
        if (before) {
            ASSERT_TRUE(WriteBytes(Ini(), before));
            SetFileAttributesA(Ini(), bits);
        }
        DWORD folderBits = Attributes(Folder());
        DWORD iniBits = before ? Attributes(Ini()) : FILE_ATTRIBUTE_ARCHIVE;
        g_bTipDelete = tipDelete;
        ASSERT_TRUE(Apply(icon, index, tipFlag, description, Folder()));
        EXPECT_EQ(after, ReadBytes(Ini()));
        EXPECT_EQ(folderBits | FILE_ATTRIBUTE_SYSTEM, Attributes(Folder()));
        EXPECT_EQ(iniBits | FILE_ATTRIBUTE_HIDDEN, Attributes(Ini()));
        ExpectOneRefreshAndNoBox();
    }
}

// A folder path ending in a backslash (a drive root), a double-byte name
// ending in the byte 0x5C, and 259 bytes, so that desktop.ini lies past
// MAX_PATH.
TEST_F(Engine, MarksFoldersWhateverTheirPath) {
    const std::string longer(m_dir / std::string(120, 'x').c_str());
    CreateDirectoryA(longer.c_str(), nullptr);
    const std::string folders[] = {std::string(Folder()) + "\\", std::string(m_dir / "表ソ"),
                                   longer + "\\" + std::string(258 - longer.size(), 'y')};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        CreateDirectoryW(WideText(folder.c_str()), nullptr);
        ASSERT_TRUE(Apply("C:\\表\\a b.ico", 0, 1, "説明", folder.c_str()));
        // Only the first ends in a backslash of its own.
        std::string ini = folder + (&folder == folders ? "" : "\\") + "desktop.ini";
        EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=C:\\表\\a b.ico\r\n"
                  "IconIndex=0\r\nInfoTip=説明\r\n",
                  ReadBytes(ini.c_str()));
        EXPECT_TRUE(Attributes(folder.c_str()) & FILE_ATTRIBUTE_SYSTEM);
        EXPECT_TRUE(Attributes(ini.c_str()) & FILE_ATTRIBUTE_HIDDEN);
        EXPECT_EQ(Texts(), m_boxes);
    }
}

// Each failing step has its box, then the folder and the system's wording
// of the last error; nothing that is not ours changes.
TEST_F(Engine, FailingStepsAreReportedInOrder) {
    enum Fault { NoFolder, IniIsAFolder, FolderIsAFile, CopyFails };
    auto keyBox = [](const char* key) {
        return "Vorelkin|!|" + std::string(key) + "のｴﾗｰですSetStringINI";
    };
    const Texts keys = {keyBox("ConfirmFileOp"), keyBox("IconFile"), keyBox("IconIndex"),
                        keyBox("InfoTip")};
    const std::string attribute = "Vorelkin|!|SetFileAttributesのｴﾗｰです<f>";
    const std::string report = "Vorelkin|!|IconChange()関数にてエラー発生 <f>";
    // The fault, the boxes after the key boxes, what the refresh and the notice reached.
    const std::tuple<int, Fault, Texts, const char*> rows[] = {
        {__LINE__, NoFolder, {"Vorelkin|!|フォルダが指定されていません"}, ""},
        {__LINE__, IniIsAFolder, {report, "エラー|i|アクセスが拒否されました。\r\n"}, "cabinet=CN"},
        {__LINE__,
         FolderIsAFile,
         {attribute, attribute + "\\desktop.ini", report, "エラー|i|パスが見つかりません。\r\n"},
         "cabinet=C"},
        {__LINE__, CopyFails, {"Vorelkin|!|ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです"}, ""},
    };
    for (const auto& [line, fault, moreBoxes, refreshed] : rows) {
        SCOPED_TRACE(line);
        TempDir dir;
        const CString folder = fault == NoFolder ? CString() : dir / "f";
        const CString copy = folder + "\\gone.ico";
        if (fault == IniIsAFolder || fault == CopyFails)
            CreateDirectoryA(folder, nullptr);
        if (fault == IniIsAFolder)
            CreateDirectoryA(folder + "\\desktop.ini", nullptr);
        if (fault == FolderIsAFile)
            WriteBytes(folder, "mine");
        // An earlier copy, hidden and read-only, of an icon file now gone.
        g_bIconCopy = fault == CopyFails;
        if (g_bIconCopy && WriteBytes(copy, "OLD"))
            SetFileAttributesA(copy, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        const bool rootIni = FileExists("\\desktop.ini");
        const DWORD before = Attributes(folder);
        EXPECT_FALSE(Apply(dir / "gone.ico", 1, 1, "x", folder));
        Texts boxes = fault == IniIsAFolder || fault == FolderIsAFile ? keys : Texts();
        boxes.insert(boxes.end(), moreBoxes.begin(), moreBoxes.end());
        for (std::string& box : boxes) {
            if (box.find("<f>") != std::string::npos)
                box.replace(box.find("<f>"), 3, std::string(folder));
        }
        EXPECT_EQ(boxes, m_boxes);
        EXPECT_EQ(refreshed, m_refreshed);
        EXPECT_EQ(rootIni, FileExists("\\desktop.ini"));
        if (fault == FolderIsAFile || fault == CopyFails) {
            EXPECT_EQ(before, Attributes(folder)); // a file never becomes a system file
            EXPECT_EQ(fault == CopyFails ? "OLD" : "mine",
                      ReadBytes(fault == CopyFails ? copy : folder));
        }
        if (fault == CopyFails) {
            EXPECT_EQ((DWORD)(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
                      Attributes(copy) & kOurBits);
            EXPECT_FALSE(FileExists(folder + "\\desktop.ini"));
        }
    }
}

// With ICON_COPY on, the icon file is copied into the folder, hidden, and
// desktop.ini names the copy relative to the folder.
TEST_F(Engine, IconCopyLandsInTheFolderHiddenAndNamedRelatively) {
    g_bIconCopy = true;
    ASSERT_TRUE(CreateDirectoryA(m_dir / "ソ表", nullptr));
    const CString icon = m_dir / "ソ表\\表ソ.ico", copy = Folder() + "\\表ソ.ico";
    ASSERT_TRUE(WriteBytes(icon, "ICON"));
    ASSERT_TRUE(Apply(icon));
    EXPECT_EQ("ICON", ReadBytes(copy));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_HIDDEN, Attributes(copy) & kOurBits);
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=表ソ.ico\r\nIconIndex=2\r\n"
              "InfoTip=x\r\n",
              ReadBytes(Ini()));
    ExpectOneRefreshAndNoBox();

    // An earlier copy, hidden and read-only, is replaced; the copy itself as
    // the icon is left as it is.
    ASSERT_TRUE(WriteBytes(copy, "OLD"));
    ASSERT_TRUE(SetFileAttributesA(copy, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Apply(icon));
    EXPECT_EQ("ICON", ReadBytes(copy));
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_HIDDEN, Attributes(copy) & kOurBits); // no longer read-only
    ASSERT_TRUE(Apply(copy));
    EXPECT_EQ("ICON", ReadBytes(copy));
    ExpectOneRefreshAndNoBox();

    // A bare name is copied into the folder, not beside it.
    RemoveTree(copy);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(m_dir / "ソ表");
    BOOL result = Apply("表ソ.ico");
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(result);
    EXPECT_EQ("ICON", ReadBytes(copy));
    EXPECT_FALSE(FileExists(Folder() + "表ソ.ico"));

    // An icon file the user chose in the folder itself keeps its attributes.
    const CString own = Folder() + "\\mine.ico";
    ASSERT_TRUE(WriteBytes(own, "MINE"));
    ASSERT_TRUE(Apply(own));
    EXPECT_EQ(0u, Attributes(own) & kOurBits);
    EXPECT_NE(std::string::npos, ReadBytes(Ini()).find("IconFile=mine.ico\r\n"));

    // "標準" has no file to copy.
    ASSERT_TRUE(Apply("", 0));
    EXPECT_EQ("[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=\r\nIconIndex=2\r\nInfoTip=x\r\n",
              ReadBytes(Ini()));
}

// At most 255 bytes, cut where no double-byte character is split.
TEST_F(Engine, ReadInfoTipCutsTo255BytesOnACharacterBoundary) {
    const std::string a254(254, 'a'), tip = a254 + "表表";
    const std::tuple<int, std::string, std::string> rows[] = {
        {__LINE__, "", ""},
        {__LINE__, "[.ShellClassInfo]\r\nInfoTip=" + tip + "\r\n", a254},
        {__LINE__, "[.ShellClassInfo]\r\nInfoTip=a" + tip + "\r\n", "a" + tip.substr(0, 254)},
    };
    for (const auto& [line, file, tip] : rows) {
        RemoveTree(Ini());
        WriteBytes(Ini(), file);
        EXPECT_EQ(tip, std::string(CSelectDlg::ReadInfoTip(Folder()))) << "line " << line;
    }
    EXPECT_EQ("", std::string(CSelectDlg::ReadInfoTip("")));
}

// Folder windows of every kind, the desktop, and look-alikes.
struct Scene {
    Shell shell;
    HWND cabinet = shell.Add("cabinet", "CabinetWClass", nullptr, "C:\\elsewhere");
    HWND view = shell.Add("cabinetView", "SHELLDLL_DefView", cabinet);
    HWND list = shell.Add("cabinetList", "SysListView32", view); // a grandchild
    HWND second = shell.Add("cabinetSecondList", "SysListView32", cabinet);
    HWND hidden = shell.Add("hidden", "CabinetWClass", nullptr, "hidden", false);
    HWND hiddenList = shell.Add("hiddenList", "SysListView32", hidden);
    HWND untitled = shell.Add("untitled", "CabinetWClass", nullptr, "");
    HWND untitledList = shell.Add("untitledList", "SysListView32", untitled);
    HWND bare = shell.Add("bare", "CabinetWClass", nullptr, "no list view");
    HWND bareChild = shell.Add("bareChild", "Other", bare);
    HWND explorer = shell.Add("explorer", "ExploreWClass", nullptr, "two panes");
    HWND explorerList = shell.Add("explorerList", "SysListView32", explorer);
    HWND desktop = shell.Add("desktop", "Progman", nullptr, "Program Manager");
    HWND desktopView = shell.Add("desktopView", "SHELLDLL_DefView", desktop);
    HWND desktopList = shell.Add("desktopList", "SysListView32", desktopView);
    HWND loneList = shell.Add("loneList", "SysListView32", nullptr, "a list");
    HWND otherCase = shell.Add("otherCase", "cabinetwclass", nullptr, "other case");
    HWND otherCaseList = shell.Add("otherCaseList", "SysListView32", otherCase);
    HWND other = shell.Add("other", "Other", nullptr, "other");
    HWND otherList = shell.Add("otherList", "SysListView32", other);
};

// F5 reaches the first list view of each folder window and, once per walk,
// the desktop's.
TEST(Refresh, KeyPass) {
    Scene scene;
    PostRefreshKeys();
    EXPECT_EQ("cabinetList=K hiddenList=K untitledList=K explorerList=K desktopList=KK",
              scene.shell.Take());
}

// The command reaches visible, titled windows of the folder classes and
// lone list views, the single-pane windows first.
TEST(Refresh, CommandPass) {
    Scene scene;
    SendRefreshCommands();
    auto received = Shell::s_received;
    EXPECT_EQ("cabinet=C bare=C explorer=C loneList=CC", scene.shell.Take());
    ASSERT_EQ(5u, received.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NE(scene.explorer, received[i].first);
}

// A window closed after the snapshot, by the refresh of the window above it,
// owes no reply and is not in the way of the windows below it.
TEST(Refresh, AWindowClosedAfterTheSnapshotCostsNothing) {
    Shell shell;
    shell.Add("below", "CabinetWClass", nullptr, "below");
    Shell::s_closedByCommand = shell.Add("closed", "CabinetWClass", nullptr, "closed");
    shell.Add("closedList", "SysListView32", Shell::s_closedByCommand);
    shell.Add("aboveList", "SysListView32", shell.Add("above", "CabinetWClass", nullptr, "above"));
    DWORD start = GetTickCount();
    SendRefreshCommands();
    EXPECT_LT(GetTickCount() - start, 3000u); // the pass's limit: not waited for
    PostRefreshKeys();
    EXPECT_EQ("below=C above=C aboveList=K", shell.Take());
}
} // namespace

// IconChange, ReadInfoTip and the refresh passes on real folders. The
// shell's windows are stood in for by windows of this process that record
// what reaches them.
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/WholeFile.h"
#include "base/WideText.h"
#include "folder/FolderBatch.h"
#include "folder/Refresh.h"
#include "framework/App.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Desktop.h"
#include "popup/SelectDlg.h"
#include "undo/Restore.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <thread>
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
    template <class Text>
    BOOL Apply(const char* icon, int index, int tipFlag, const Text& description,
               const CString& folder) {
        // The folder window hears of changes to the folder, by the name
        // Explorer knows, as Explorer's does.
        SHChangeNotifyEntry entry = {ILCreateFromPathW(g_targetFolders.NameOf(folder)),
                                     FALSE}; // none for no folder
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
// TIP_DELETE is on, several folders with an untouched prompt even then.
TEST_F(Engine, WritesTheKeysAndAddsTheAttributes) {
    const std::string head = "[.ShellClassInfo]\r\n", keys = "ConfirmFileOp=0\r\nIconFile=";
    // Explorer's Properties write IconResource, which the shell reads before
    // IconFile: every mark removes it, and keeps every other line.
    const std::string propsHead =
                          "[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n",
                      propsTail = "[ViewState]\r\nMode=\r\n[O]\r\nIconResource=kept\r\n",
                      props = propsHead + "IconResource=imageres.dll,-112\r\nInfoTip=tip\r\n" +
                              "IconResource=x\r\n" + propsTail;
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
            {__LINE__, props.c_str(), 0, "C:\\i.ico", 1, 1, "new", false,
             propsHead + "InfoTip=new\r\n" + keys + "C:\\i.ico\r\nIconIndex=1\r\n" + propsTail},
            {__LINE__, props.c_str(), 0, "", 0, 0, "", false,
             propsHead + "InfoTip=tip\r\n" + keys + "\r\nIconIndex=0\r\n" + propsTail},
            {__LINE__, props.c_str(), 0, "C:\\i.ico", 1, CSelectDlg::kKeepInfoTip, "new", true,
             propsHead + "InfoTip=tip\r\n" + keys + "C:\\i.ico\r\nIconIndex=1\r\n" + propsTail},
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
// ending in the byte 0x5C, 240 bytes, so that only the temporary file's name
// lies past MAX_PATH, and 259 bytes, so that desktop.ini does too. Each is
// marked twice: the file is created, then replaced.
TEST_F(Engine, MarksFoldersWhateverTheirPath) {
    const std::string longer(m_dir / std::string(120, 'x').c_str());
    CreateDirectoryA(longer.c_str(), nullptr);
    const std::string folders[] = {std::string(Folder()) + "\\", std::string(m_dir / "表ソ"),
                                   longer + "\\" + std::string(239 - longer.size(), 'z'),
                                   longer + "\\" + std::string(258 - longer.size(), 'y')};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        CreateDirectoryW(WideText(folder.c_str()), nullptr);
        ASSERT_TRUE(Apply("C:\\表\\a b.ico", 0, 1, "旧", folder.c_str()));
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
    enum Fault { NoFolder, IniIsAFolder, FolderIsAFile, CopyFails, Locked };
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
        {__LINE__,
         Locked,
         {"Vorelkin|!|ほかの Vorelkin がこのフォルダの desktop.ini を書き込み中のため、変更しません"
          "でした。しばらくしてからもう一度選んでください:\r\n<f>"},
         ""},
    };
    for (const auto& [line, fault, moreBoxes, refreshed] : rows) {
        SCOPED_TRACE(line);
        TempDir dir;
        const CString folder = fault == NoFolder ? CString() : dir / "f";
        const CString copy = folder + "\\gone.ico";
        if (fault == IniIsAFolder || fault == CopyFails || fault == Locked)
            CreateDirectoryA(folder, nullptr);
        // Another launch holds the folder's lock past its limit.
        std::atomic<bool> done(false);
        std::thread holder([&] {
            IniFileLock lock(fault == Locked ? (const char*)(folder + "\\desktop.ini") : nullptr);
            WaitFor([&] { return done.load(); });
        });
        Sleep(fault == Locked ? 100 : 0);
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
        done = true;
        holder.join();
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

// A failed mark shows its boxes with the folder's lock given back: another
// launch marking the folder meanwhile is not held up by a user reading them.
TEST_F(Engine, BoxesComeWithTheLockGivenBack) {
    ASSERT_TRUE(CreateDirectoryA(Ini(), nullptr)); // desktop.ini cannot be written
    std::atomic<bool> done(false), lockFree(false);
    std::thread answerer([&] {
        if (WaitForDialog(0)) {
            IniFileLock lock(Ini()); // the mutex is the thread's: this one waits
            lockFree = lock.Owned();
        }
        while (!done)
            AnswerBox(0, 50);
    });
    EXPECT_FALSE(CSelectDlg::IconChange("a.ico", 0, Folder(), 1, CString("x")));
    done = true;
    answerer.join();
    EXPECT_TRUE(lockFree);
}

// A mark whose desktop.ini cannot be written leaves the copy it names as it
// was, so the folder never shows the new file at the old index.
TEST_F(Engine, TheCopyChangesOnlyWithItsMark) {
    g_bIconCopy = true;
    const CString icon = m_dir / "a.ico", copy = Folder() + "\\a.ico";
    const std::string ini = "[.ShellClassInfo]\r\nIconFile=a.ico\r\nIconIndex=3\r\n";
    ASSERT_TRUE(WriteBytes(icon, "NEW") && WriteBytes(copy, "OLD") && WriteBytes(Ini(), ini));
    SetFileAttributesA(copy, FILE_ATTRIBUTE_HIDDEN);
    HANDLE held = CreateFileA(Ini(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr); // a reader that lets no one replace the file
    EXPECT_FALSE(Apply(icon));
    CloseHandle(held);
    EXPECT_EQ(ini, ReadBytes(Ini()));
    EXPECT_EQ("OLD", ReadBytes(copy));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(Folder() + "\\*.vrktmp", &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName; // the new bytes are gone
    FindClose(search);
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

// "標準" keeps the description unless TIP_DELETE is on.
TEST(StandardRow, KeepsTheDescriptionUnlessTipDelete) {
    CWinApp app("Vorelkin");
    TempDir dir;
    g_targetFolders.Clear();
    ASSERT_TRUE(g_targetFolders.Add(WideText(dir.Path())));
    g_strTargetFolder = dir.Path();
    g_arrIconPath.SetSize(IconSlot::Count);
    g_bIconCopy = false;
    for (bool tipDelete : {false, true}) {
        ASSERT_TRUE(WriteBytes(dir / "desktop.ini", "[.ShellClassInfo]\r\nInfoTip=tip\r\n"));
        g_bTipDelete = tipDelete;
        CSelectDlg chooser(nullptr); // a box would be cancelled, and the row fail
        EXPECT_EQ(IDOK, RunDriven(chooser, [] { PostClick(WaitForChooser(0), IDC_STANDARD); }));
        EXPECT_EQ(tipDelete ? "InfoTip=" : "InfoTip=tip",
                  IniLines(ReadBytes(dir / "desktop.ini"))[1]);
    }
    g_targetFolders.Clear();
}

// A description CP932 cannot spell turns desktop.ini into UTF-16 with its
// mark, as Windows writes such a file, every other line converted; a UTF-16
// file stays so. The shell's reader and the prompt's pre-fill read it whole.
// The change notice names the folder by its long name, as Explorer knows it.
TEST_F(Engine, DescriptionsCp932CannotSpellAreStoredInUtf16) {
    const wchar_t ogai[] = L"森\u9DD7外\U0001F600";
    const std::wstring name = std::wstring(WideText(Folder())) + L"\\" + ogai;
    g_targetFolders.Clear();
    ASSERT_TRUE(CreateDirectoryW(name.c_str(), nullptr) && g_targetFolders.Add(name.c_str()));
    const CString folder = g_targetFolders.Path(0), ini = folder + "\\desktop.ini";
    auto infoTip = [&] {
        wchar_t text[64] = L"";
        GetPrivateProfileStringW(L".ShellClassInfo", L"InfoTip", L"", text, 64, WideText(ini));
        return std::wstring(text);
    };
    ASSERT_TRUE(WriteBytes(ini, "; 表\r\n[.ShellClassInfo]\r\nInfoTip=old\r\n[他]\r\nキー=値\r\n"));
    ASSERT_TRUE(Apply("C:\\i.ico", 1, 1, WideText(ogai), folder));
    ExpectOneRefreshAndNoBox();
    const std::u16string after =
        u"; 表\r\n[.ShellClassInfo]\r\nInfoTip=森\u9DD7外\U0001F600\r\n"
        u"ConfirmFileOp=0\r\nIconFile=C:\\i.ico\r\nIconIndex=1\r\n[他]\r\nキー=値\r\n";
    EXPECT_EQ("\xFF\xFE" + std::string((const char*)after.data(), after.size() * 2),
              ReadBytes(ini));
    EXPECT_EQ(ogai, infoTip());
    EXPECT_STREQ(ogai, CSelectDlg::ReadDescription(folder));
    ASSERT_TRUE(Apply("C:\\i.ico", 1, 1, "表", folder));
    EXPECT_EQ(L"表", infoTip());
    EXPECT_EQ("\xFF\xFE", ReadBytes(ini).substr(0, 2));
    // UTF-8, with its mark or without, which the profile reader takes for
    // ANSI text: the prompt is filled as its writer meant it, and its OK
    // writes UTF-16, every line kept, a byte UTF-8 does not allow as U+FFFD.
    const std::tuple<int, std::string, std::u16string> files[] = {
        {__LINE__,
         u8"\uFEFF[.ShellClassInfo]\r\nInfoTip=\u9DD7\r\n[ViewState]\r\nMode=\r\n; \xFF\r\n",
         u"[.ShellClassInfo]\r\nInfoTip=\u9DD7\r\nConfirmFileOp=0\r\nIconFile=C:\\i.ico\r\n"
         u"IconIndex=1\r\n[ViewState]\r\nMode=\r\n; \uFFFD\r\n"},
        {__LINE__, u8"[.ShellClassInfo]\r\nInfoTip=\u9DD7\r\n[ViewState]\r\nMode=\r\n",
         u"[.ShellClassInfo]\r\nInfoTip=\u9DD7\r\nConfirmFileOp=0\r\nIconFile=C:\\i.ico\r\n"
         u"IconIndex=1\r\n[ViewState]\r\nMode=\r\n"},
    };
    for (const auto& [line, before, written] : files) {
        SCOPED_TRACE(line);
        ASSERT_TRUE(WriteBytes(ini, before));
        const WideText prefill = CSelectDlg::ReadDescription(folder);
        EXPECT_STREQ(L"\u9DD7", prefill);
        ASSERT_TRUE(Apply("C:\\i.ico", 1, 1, prefill, folder));
        EXPECT_EQ("\xFF\xFE" + std::string((const char*)written.data(), written.size() * 2),
                  ReadBytes(ini));
        EXPECT_EQ(L"\u9DD7", infoTip());
    }
    g_targetFolders.Clear();
}

// The temporary file is hidden while it exists; a new file swapped in is
// not. The next mark in a folder removes a hidden leftover of a process that
// has ended, and keeps one a process may still be writing, and one shown
// for the user to recover.
TEST_F(Engine, TemporaryFilesAreHiddenAndLeftoversOfEndedProcessesGo) {
    const WideText fresh(Folder() + "\\fresh.txt");
    WideText temp;
    HANDLE file = CreateTempBeside(fresh, temp);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(GetFileAttributesW(temp) & FILE_ATTRIBUTE_HIDDEN);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "new", 3, &written, nullptr));
    ASSERT_TRUE(SwapIn(file, temp, fresh));
    EXPECT_EQ("new", ReadBytes(Folder() + "\\fresh.txt"));
    EXPECT_EQ(0u, Attributes(Folder() + "\\fresh.txt") & kOurBits);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(temp));

    // A process gone, one that has not ended (held suspended), and this one.
    DWORD goneId = 0;
    {
        Process gone;
        ASSERT_TRUE(gone.Start(L"cmd.exe /c exit"));
        ASSERT_EQ(0u, gone.WaitExit());
        goneId = gone.Id();
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION held = {};
    wchar_t command[] = L"cmd.exe /c exit";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                               nullptr, &startup, &held));
    ScopedKernelHandle process(held.hProcess), thread(held.hThread);
    auto leftover = [&](DWORD id) {
        char name[64];
        snprintf(name, sizeof(name), "\\desktop.ini.%lx-1.vrktmp", (unsigned long)id);
        return Folder() + name;
    };
    const DWORD ids[] = {goneId, held.dwProcessId, GetCurrentProcessId()};
    for (DWORD id : ids) {
        ASSERT_TRUE(WriteBytes(leftover(id), "old"));
        SetFileAttributesA(leftover(id), FILE_ATTRIBUTE_HIDDEN);
    }
    const CString shown = Folder() + "\\desktop.ini.0-1.vrktmp";
    ASSERT_TRUE(WriteBytes(shown, "only copy"));
    ASSERT_TRUE(Apply("C:\\i.ico"));
    EXPECT_FALSE(FileExists(leftover(goneId)));
    EXPECT_EQ("only copy", ReadBytes(shown));
    EXPECT_TRUE(FileExists(leftover(held.dwProcessId)));
    EXPECT_TRUE(FileExists(leftover(GetCurrentProcessId())));
    // Ended, though its id is still held by a handle.
    TerminateProcess(process, 1);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, kWaitMs));
    ASSERT_TRUE(Apply("C:\\j.ico"));
    EXPECT_FALSE(FileExists(leftover(held.dwProcessId)));
    EXPECT_TRUE(FileExists(leftover(GetCurrentProcessId())));
}

// A file of the user's under the copy's name is never overwritten or hidden:
// the copy takes a free numbered name, which later marks replace as ours. A
// file named desktop.ini is refused with one box, the folder's own kept.
TEST_F(Engine, IconCopyNeverTakesAUsersFile) {
    g_bIconCopy = true;
    const CString icon = m_dir / "f.ico", mine = Folder() + "\\f.ico",
                  copy = Folder() + "\\f (2).ico";
    ASSERT_TRUE(WriteBytes(mine, "MINE"));
    for (const char* bytes : {"ICON", "NEW"}) {
        ASSERT_TRUE(WriteBytes(icon, bytes) && Apply(icon));
        EXPECT_EQ("MINE", ReadBytes(mine));
        EXPECT_EQ(0u, Attributes(mine) & kOurBits);
        EXPECT_EQ(bytes, ReadBytes(copy));
        EXPECT_EQ((DWORD)FILE_ATTRIBUTE_HIDDEN, Attributes(copy) & kOurBits);
        EXPECT_NE(std::string::npos, ReadBytes(Ini()).find("IconFile=f (2).ico\r\n"));
    }
    const std::string before = ReadBytes(Ini());
    ASSERT_TRUE(WriteBytes(m_dir / "Desktop.INI", "[.ShellClassInfo]\r\nIconFile=x\r\n"));
    for (const CString& chosen : {m_dir / "Desktop.INI", Ini()}) {
        EXPECT_FALSE(Apply(chosen));
        EXPECT_EQ(1u, m_boxes.size());
        EXPECT_EQ(before, ReadBytes(Ini()));
    }
}

// Two launches marking the same folder at once: each mark is read and
// written whole under one lock, so IconFile and IconIndex always come from
// one mark. Two copies of this program mark in a loop (the hidden test
// below) while this one reads the file.
TEST(TwoLaunches, IconFileAndIconIndexAlwaysBelongTogether) {
    TempDir dir;
    const CString ini = dir / "desktop.ini";
    SetEnvironmentVariableA("VRK_LOOP_FOLDER", dir.Path());
    const std::wstring command = L"\"" + std::wstring(WideText(BesideTests("unit.exe"))) +
                                 L"\" --gtest_also_run_disabled_tests --gtest_filter=*MarkInALoop";
    Process launches[2];
    for (Process& launch : launches)
        ASSERT_TRUE(launch.Start(command.c_str()));
    int seen = 0;
    for (DWORD start = GetTickCount();
         GetTickCount() - start < 40000 && (launches[0].IsRunning() || launches[1].IsRunning());) {
        const std::string bytes = ReadBytes(ini);
        if (!bytes.empty()) {
            size_t iconFile = bytes.find("IconFile=C:\\"), iconIndex = bytes.find("IconIndex=");
            ASSERT_TRUE(iconFile != std::string::npos && iconIndex != std::string::npos) << bytes;
            EXPECT_EQ(atoi(&bytes[iconFile + 12]), atoi(&bytes[iconIndex + 10])) << bytes;
            ++seen;
        }
        Sleep(2);
    }
    for (Process& launch : launches)
        EXPECT_EQ(0u, launch.WaitExit());
    EXPECT_GT(seen, 10);
}

TEST(TwoLaunches, DISABLED_MarkInALoop) {
    char folder[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA("VRK_LOOP_FOLDER", folder, MAX_PATH));
    CWinApp app("Vorelkin");
    g_bIconCopy = g_bTipDelete = false;
    FolderBatch batch; // no boxes, and no refresh of the other launch's windows
    for (int i = 0; i < 100; ++i) {
        const int index = (int)(GetCurrentProcessId() % 1000) * 1000 + i;
        EXPECT_TRUE(CSelectDlg::IconChange("C:\\" + CString::FromInt(index) + ".ico", index, folder,
                                           1, "x"));
    }
}

// Run on a small drive that it fills (tests/scripts/full_disk.sh): a mark
// that cannot be written leaves desktop.ini byte for byte and no temporary
// file, and reports each key; an icon copy that cannot be written leaves the
// earlier copy that desktop.ini names.
TEST(FullDisk, DISABLED_NothingIsLost) {
    char drive[MAX_PATH] = "";
    ASSERT_TRUE(GetEnvironmentVariableA("VRK_FULL_DRIVE", drive, MAX_PATH));
    CWinApp app("Vorelkin");
    const CString folder = CString(drive) + "\\f", ini = folder + "\\desktop.ini",
                  copy = folder + "\\big.ico", icon = CString(drive) + "\\big.ico",
                  filler = CString(drive) + "\\filler";
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    // One page, which a longer description makes grow past its end.
    std::string before = "[.ShellClassInfo]\r\nConfirmFileOp=0\r\nIconFile=big.ico\r\n"
                         "IconIndex=0\r\nInfoTip=\r\n[ViewState]\r\nMode=\r\n";
    before += "Pad=" + std::string(4090 - 6 - before.size(), 'a') + "\r\n";
    ASSERT_TRUE(WriteBytes(ini, before) && WriteBytes(copy, "OLD") &&
                WriteBytes(icon, std::string(20000, 'I')));
    SetFileAttributesA(copy, FILE_ATTRIBUTE_HIDDEN);
    WriteBytes(filler, std::string(300 * 1024, 'F')); // fails once the drive is full
    for (bool iconCopy : {false, true}) {
        g_bIconCopy = iconCopy;
        Texts boxes = AnswerBoxesWhile([&] {
            EXPECT_FALSE(
                CSelectDlg::IconChange(iconCopy ? icon : "C:\\i.ico", 1, folder, 1, "long"));
        });
        EXPECT_EQ(iconCopy ? "Vorelkin|!|ｱｲｺﾝｺﾋﾟｰ中のｴﾗｰです"
                           : "Vorelkin|!|ConfirmFileOpのｴﾗｰですSetStringINI",
                  boxes.at(0));
        EXPECT_EQ(before, ReadBytes(ini));
        EXPECT_EQ("OLD", ReadBytes(copy));
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(folder + "\\*.vrktmp", &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, search) << found.cFileName;
        FindClose(search);
    }
    // A journal on the full drive: a mark elsewhere is made, one box says it
    // cannot be undone, and the entry written before the disk filled stays.
    WCHAR ownJournal[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"VORELKIN_DATA", ownJournal, MAX_PATH);
    DeleteFileA(filler);
    SetEnvironmentVariableW(L"VORELKIN_DATA", WideText(CString(drive) + "\\journal"));
    TempDir elsewhere;
    g_bIconCopy = false;
    g_arrIconPath.SetSize(IconSlot::Count); // the undo item's name matches the slots
    EXPECT_EQ(Texts(), AnswerBoxesWhile([&] {
                  CSelectDlg::IconChange("C:\\first.ico", 0, elsewhere.Path(), 1, "d");
              }));
    // Padded to its page's end, so that the next entry needs a new page.
    const CString journalFile = CString(drive) + "\\journal\\undo.vrkj";
    std::string journal = ReadBytes(journalFile);
    journal.resize(4096, '\0');
    ASSERT_TRUE(WriteBytes(journalFile, journal));
    WriteBytes(filler, std::string(300 * 1024, 'F'));
    Texts boxes = AnswerBoxesWhile([&] {
        EXPECT_TRUE(CSelectDlg::IconChange("C:\\second.ico", 0, elsewhere.Path(), 1, "d"));
    });
    EXPECT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes.at(0).find("この変更は元に戻せません"));
    EXPECT_NE(std::string::npos, ReadBytes(elsewhere / "desktop.ini").find("second.ico"));
    EXPECT_EQ(journal, ReadBytes(journalFile).substr(0, journal.size()));
    EXPECT_EQ(std::wstring(L"その他 (1 個のフォルダ)"), std::wstring(NextActionName(true)));
    SetEnvironmentVariableW(L"VORELKIN_DATA", ownJournal);
    DeleteFileA(filler);
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
// A folder window opened between the passes gets its key too: the key pass
// takes a fresh snapshot when the top-level windows have changed.
TEST(Refresh, AWindowOpenedAfterTheCommandPassGetsTheKey) {
    Shell shell;
    shell.Add("firstList", "SysListView32", shell.Add("first", "CabinetWClass", nullptr, "first"));
    SendRefreshCommands();
    shell.Add("lateList", "SysListView32", shell.Add("late", "CabinetWClass", nullptr, "late"));
    PostRefreshKeys();
    EXPECT_EQ("first=C firstList=K lateList=K", shell.Take());
}

// Several folders are marked first, then refreshed by one command pass.
// Each folder's change notice names that folder, also those that share the
// first one's parent.
TEST_F(Engine, SeveralFoldersHaveOneCommandPassAndANoticeEach) {
    SHChangeNotifyEntry entries[3];
    for (int i = 0; i < 3; ++i) {
        const CString folder = m_dir / CString::FromInt(i);
        CreateDirectoryA(folder, nullptr);
        g_targetFolders.Add(WideText(folder));
        entries[i] = {ILCreateFromPathW(WideText(folder)), FALSE};
    }
    ULONG notices =
        SHChangeNotifyRegister(m_cabinet, SHCNRF_ShellLevel, SHCNE_UPDATEITEM, WM_APP, 3, entries);
    m_boxes =
        AnswerBoxesWhile([] { CSelectDlg::ChangeEveryFolder("x.ico", 0, 1, WideText(L"d")); });
    g_targetFolders.Clear();
    EXPECT_EQ(Texts(), m_boxes);
    EXPECT_EQ("cabinet=NNNC", m_shell.Take());
    SHChangeNotifyDeregister(notices);
    for (const SHChangeNotifyEntry& entry : entries)
        ILFree((PIDLIST_ABSOLUTE)entry.pidl);
}
} // namespace

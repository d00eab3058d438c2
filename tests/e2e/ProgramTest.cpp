// The real program started as a user starts it and driven with the pointer
// and the keyboard: only what needs the real program and real input.
#include "app/FolderCollector.h"
#include "base/Settings.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "base/WideText.h"
#include "support/Desktop.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <algorithm>
#include <tuple>

namespace {
using namespace std::string_literals;
using Lines = std::vector<std::string>;

std::string Setting(const CString& ini, const char* section, const char* key) {
    CString value;
    GetStringINI(ini, section, key, value);
    return std::string(value);
}

// The settings file a first run writes beside the copy.
std::string Defaults(const Install& install) {
    return DefaultSettings(std::string(install.Dir()) + "\\icons", "\\fld0");
}

// The top left of what differs from the ground colour in the row; a row
// being repainted can show nothing for a moment.
POINT TextCorner(HWND chooser, int id, COLORREF ground) {
    RECT row = ScreenRect(chooser, id);
    const LONG width = row.right - row.left;
    POINT corner = {};
    auto look = [&] {
        std::vector<COLORREF> image = ScreenImage(row);
        corner = {width, (LONG)image.size()};
        for (size_t i = 0; i < image.size(); ++i) {
            if (image[i] != ground)
                corner = {std::min<LONG>(corner.x, i % width), std::min<LONG>(corner.y, i / width)};
        }
        return corner.x < width;
    };
    WaitFor(look, 1000);
    return corner;
}

// The bar fills the row up to its corners, and its text starts where the
// plain label's did (taken before the bar came), whatever the DPI.
bool BarOn(HWND chooser, int id, POINT labelText) {
    const COLORREF bar = GetSysColor(COLOR_HIGHLIGHT);
    RECT row = ScreenRect(chooser, id);
    POINT text = TextCorner(chooser, id, bar);
    return text.x == labelText.x && text.y == labelText.y &&
           ScreenPixel(row.right - 1, row.bottom - 1) == bar;
}

// Started without a folder on a settings file of junk: the popup opens, the
// defaults are there at once, after the junk, and every setting is written
// back when Esc closes it, but for what was changed meanwhile. Without a folder a launch joins no
// other: ten popups at once share the file.
TEST(Program, WritesTheDefaultsAtOnceAndEverySettingBackEvenTenAtOnce) {
    const std::string junk = "\0\x01\x02\xFF\xFE junk ]][[ =\x95\r\n\x1A\x7F=\x81\n\rtail"s;
    Install install;
    ASSERT_TRUE(WriteBytes(install.Ini(), junk));
    Process process;
    ASSERT_TRUE(install.Launch(process, ""));
    HWND chooser = WaitForChooser(process.Id());
    ASSERT_TRUE(chooser);
    EXPECT_EQ(junk + "\r\n" + Defaults(install), ReadBytes(install.Ini()));
    EXPECT_TRUE(FileExists(install.Dir() + "\\icons"));
    // Edited while the popup is open, by another window of ours or by hand:
    // a changed key and a new one stay, a deleted key gets its value back.
    std::string theirs = "; theirs\r\n[Mine]\r\nkeep=1\r\n" + Defaults(install) + "NEW=1\r\n";
    theirs.replace(theirs.find("TOUMEIDO=50"), 11, "TOUMEIDO=80");
    const size_t path3 = theirs.find("PATH_3="), property = theirs.find("[Property]");
    const std::string deleted = theirs.substr(path3, theirs.find('\n', path3) + 1 - path3);
    theirs.erase(path3, deleted.size());
    ASSERT_TRUE(WriteBytes(install.Ini(), theirs));
    SetForegroundWindow(chooser);
    ASSERT_TRUE(WaitForKeyboard(chooser));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(0u, process.WaitExit());
    EXPECT_EQ(theirs.insert(property - deleted.size(), deleted), ReadBytes(install.Ini()));

    ASSERT_TRUE(WriteBytes(install.Ini(), junk));
    Process processes[10];
    for (Process& each : processes)
        ASSERT_TRUE(install.Launch(each, ""));
    for (Process& each : processes) { // a later popup taking the foreground ends this one
        ASSERT_TRUE(WaitFor([&] {
            HWND popup = WaitForDialog(each.Id(), nullptr, 0); // its only one
            return popup ? PostMessageA(popup, WM_COMMAND, IDCANCEL, 0) : !each.IsRunning();
        }));
    }
    for (Process& each : processes)
        ASSERT_EQ(0u, each.WaitExit(30000));
    EXPECT_EQ(junk + "\r\n" + Defaults(install), ReadBytes(install.Ini()));
}

// The prefix's DPI, which programs read as they start, put back at the end.
struct ScopedDpi {
    explicit ScopedDpi(DWORD dpi) {
        RegGetValueA(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &saved, &size);
        RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &dpi, sizeof(dpi));
    }
    ~ScopedDpi() {
        saved ? RegSetKeyValueA(HKEY_CURRENT_USER, kKey, kValue, REG_DWORD, &saved, size)
              : RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, kValue);
    }
    static constexpr const char *kKey = "Control Panel\\Desktop", *kValue = "LogPixels";
    DWORD saved = 0, size = sizeof(saved); // none set: 0
};

// At 150 % an icon is its file's own 24-pixel image and a row's text stays
// put under the bar; pointer and keys move one bar; a click on another
// program's window ends the popup, after a cancelled prompt changed nothing
// and another launch's popup did not.
TEST(Program, At150PercentThePopupLooksAsAt100AndOneBarFollowsPointerAndKeys) {
    ScopedDpi dpi(144);
    Install install(true);
    const CString folderIni = install.Target() + "\\desktop.ini";
    ASSERT_TRUE(WriteBytes(folderIni, "[.ShellClassInfo]\r\nInfoTip=前の説明\r\n"));
    // Another program's window, showing that image as the popup's statics do.
    ScopedIcon own((HICON)LoadImageA(nullptr, install.Dir() + "\\icons\\fld01.ico", IMAGE_ICON, 24,
                                     24, LR_LOADFROMFILE));
    HWND other = CreateWindowA("Static", "", WS_POPUP | SS_ICON | SS_NOTIFY, 0, 0, 24, 24, nullptr,
                               nullptr, nullptr, nullptr);
    SendMessageA(other, STM_SETICON, (WPARAM)own.Get(), 0);
    ShowWindow(other, SW_SHOWNOACTIVATE); // activated late, it would end the popup
    UpdateWindow(other);
    MovePointer(400, 300);
    Process process;
    HWND chooser = install.Open(process);
    ASSERT_TRUE(chooser);
    RECT icon = ScreenRect(chooser, IDC_ICON_SLOT1);
    EXPECT_TRUE(WaitFor([&] { return ScreenImage(icon) == ScreenImage({0, 0, 24, 24}); }));

    const COLORREF background = ScreenPixel(icon.left - 2, icon.top);
    ASSERT_NE(GetSysColor(COLOR_HIGHLIGHT), background);
    for (int id : {IDC_SLOT1, IDC_SLOT2}) { // Wine can lose a move: each look moves again
        POINT label = TextCorner(chooser, id, background);
        EXPECT_TRUE(WaitFor([&] { return MoveToControl(chooser, id), BarOn(chooser, id, label); }))
            << id;
    }
    POINT label3 = TextCorner(chooser, IDC_SLOT3, background);
    RECT first = ScreenRect(chooser, IDC_SLOT1);
    EXPECT_EQ(background, ScreenPixel(first.left, first.top)); // left when the bar moved
    ASSERT_TRUE(WaitForKeyboard(chooser));
    PressKey(VK_DOWN); // from the pointer's row
    EXPECT_TRUE(WaitFor([&] { return BarOn(chooser, IDC_SLOT3, label3); }));
    MoveToControl(chooser, IDC_ICON_SLOT3); // over an icon: no bar
    RECT third = ScreenRect(chooser, IDC_SLOT3);
    EXPECT_TRUE(WaitFor([&] { return ScreenPixel(third.left, third.top) == background; }));

    ClickControl(chooser, IDC_SLOT2);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    EXPECT_EQ("前の説明", TextOf(GetDlgItem(prompt, IDC_COMMENT)));
    PostClick(prompt, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(prompt); }));
    // Another launch's window, such as its box refusing a folder, is no click elsewhere.
    Process second;
    ASSERT_TRUE(install.Launch(second, "")); // without a folder it joins no other
    HWND later = WaitForChooser(second.Id());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == later; }));
    EXPECT_EQ((DWORD)STILL_ACTIVE, process.WaitExit(500));
    ClickAt(12, 12);
    MSG message; // the click activates the window when this thread takes it
    EXPECT_TRUE(WaitFor([&] {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        return !process.IsRunning() && !second.IsRunning();
    }));
    DestroyWindow(other);
    EXPECT_EQ(0u, process.WaitExit());
    EXPECT_EQ("[.ShellClassInfo]\r\nInfoTip=前の説明\r\n", ReadBytes(folderIni));
}

// A folder with blanks and double-byte characters, quoted as Explorer
// passes it. The prompt's edit limits characters; the check on OK counts
// bytes, as a paste of double-byte text can get past the limit. The shell
// windows here belong to this thread, which handles no message while it
// waits for the program: to the program they are hung. Together they cost
// it one time limit (3 s), not one per window.
TEST(Program, ARowClickedAndAPromptOf255BytesMarkTheFolderDespiteHungWindows) {
    std::vector<HWND> hung;
    for (const char* name : {"CabinetWClass", "CabinetWClass", "CabinetWClass", "CabinetWClass",
                             "SysListView32", "ExploreWClass"}) {
        WNDCLASSA windowClass = {
            0,       DefWindowProcA, 0,       0,       GetModuleHandleA(nullptr),
            nullptr, nullptr,        nullptr, nullptr, name};
        RegisterClassA(&windowClass);
        hung.push_back(CreateWindowA(name, "hung", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                     nullptr, windowClass.hInstance, nullptr));
        ShowWindow(hung.back(), SW_SHOWNOACTIVATE); // activated late, it would end the popup
    }
    Install install;
    const CString folder = install.Dir() + "\\ a  b\\表ソ";
    CreateDirectoryA(install.Dir() + "\\ a  b", nullptr);
    ASSERT_TRUE(CreateDirectoryA(folder, nullptr));
    ASSERT_TRUE(WriteBytes(folder + "\\desktop.ini", "[.ShellClassInfo]\r\nInfoTip=前\r\n"));
    ASSERT_TRUE(WriteBytes(install.Ini(), "[IconPath]\r\nICON_INDEX_2=42\r\n"));
    Process process;
    HWND chooser = install.Open(process, folder);
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_SLOT2);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    HWND edit = GetDlgItem(prompt, IDC_COMMENT);
    EXPECT_EQ("前", TextOf(edit));
    EXPECT_EQ(GetDlgItem(prompt, IDOK), FocusOf(prompt));
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)Repeat("あ", 128).c_str());
    ClickControl(prompt, IDOK);
    EXPECT_EQ("Vorelkin|255 文字以内で入力してください。", AnswerBox(process.Id()));
    EXPECT_TRUE(WaitFor([&] { return FocusOf(prompt) == edit; }));
    EXPECT_EQ("[.ShellClassInfo]\r\nInfoTip=前\r\n", ReadBytes(folder + "\\desktop.ini"));

    const std::string longest = Repeat("あ", 127) + "z";
    // The refusal left the edit focused with its text selected: typing replaces it.
    ASSERT_TRUE(WaitForKeyboard(prompt));
    TypeText(longest.c_str());
    ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == longest.c_str(); }));
    PressKey(VK_RETURN);
    EXPECT_EQ(0u, process.WaitExit(6000));
    EXPECT_EQ((Lines{"[.ShellClassInfo]", "InfoTip=" + longest, "ConfirmFileOp=0",
                     "IconFile=" + Setting(install.Ini(), "IconPath", "PATH_2"), "IconIndex=42"}),
              IniLines(ReadBytes(folder + "\\desktop.ini")));
    for (HWND window : hung)
        DestroyWindow(window);
}

TEST(Program, AFailedApplyShowsEveryReportThenTheSummary) {
    Install install;
    RemoveTree(install.Target()); // nothing can be written there
    MovePointer(100, 100);        // the popup clear of the boxes in the middle
    Process process;
    HWND chooser = install.Open(process);
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_SLOT4);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    ClickControl(prompt, IDOK);
    Lines boxes;
    for (int box = 0; box < 9; ++box) {
        if (box == 7) { // the ownerless box is above the topmost popup, whose rows take no click
            HWND error = WaitForDialog(process.Id(), [](HWND w) { return TextOf(w) == "エラー"; });
            EXPECT_EQ(error, TopWindows(process.Id())[0]);
            ClickControl(chooser, IDC_SLOT1);
        }
        boxes.push_back(AnswerBox(process.Id()));
    }
    // Each report is the engine's own; the summary comes after them all.
    EXPECT_EQ("Vorelkin|ConfirmFileOpのｴﾗｰですSetStringINI", boxes[0]);
    EXPECT_EQ("エラー|パスが見つかりません。\r\n", boxes[7]);
    EXPECT_EQ("Vorelkin|アイコンの変更に失敗しました", boxes[8]);
    EXPECT_EQ(0u, process.WaitExit());
    EXPECT_FALSE(FileExists(install.Target()));
}

// The settings sheet behind "設定...", which the popup keeps disabled (the
// test enables the item from outside), then "その他...": cancelling the Open
// dialog or the prompt returns to the popup; a chosen file marks the folder
// with index 0 and is not kept.
TEST(Program, TheSheetChangesSlotOneAndOtherTakesAnyIconFileForThisFolderOnly) {
    Install install(true);
    ASSERT_TRUE(WriteBytes(install.Target() + "\\desktop.ini",
                           "[.ShellClassInfo]\r\nInfoTip=以前の説明\r\n"));
    Process process;
    HWND chooser = install.Open(process);
    ASSERT_TRUE(chooser);
    EnableWindow(GetDlgItem(chooser, IDC_SETTINGS), TRUE);
    ClickControl(chooser, IDC_SETTINGS);
    HWND sheet =
        WaitForDialog(process.Id(), [](HWND w) { return TextOf(w) == "Vorelkinのプロパティ"; });
    ASSERT_TRUE(sheet);
    HWND page = (HWND)SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
    HWND tabs = GetDlgItem(sheet, 0x3020);
    EXPECT_FALSE(IsWindowEnabled(chooser));                   // modal over the popup
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, 0x3021))); // Apply

    // 17 bytes keep the page up, when it is left and on OK; 16 (eight
    // double-byte characters) pass, and last while the sheet is open.
    HWND field = GetDlgItem(page, IDC_ROW_TEXT3);
    EXPECT_EQ(16, SendMessageA(field, EM_GETLIMITTEXT, 0, 0));
    const char tooLong[] = "abcdefghijklmnopq";
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)tooLong);
    PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
    EXPECT_EQ("Vorelkin|16 文字以内で入力してください。", AnswerBox(process.Id()));
    EXPECT_TRUE(WaitFor([&] { return FocusOf(sheet) == field; }));
    ClickControl(sheet, IDOK);
    EXPECT_EQ("Vorelkin|16 文字以内で入力してください。", AnswerBox(process.Id()));
    EXPECT_EQ(0, SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM) "あいうえおかきく");
    PostMessageA(sheet, PSM_SETCURSEL, 1, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 1; }));
    PostMessageA(sheet, PSM_SETCURSEL, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == 0; }));
    EXPECT_EQ("あいうえおかきく", TextOf(field));

    ClickControl(sheet, 9); // Help
    EXPECT_NE(std::string::npos, AnswerBox(process.Id()).find("vrkcfg.ini"));

    // "変更..." shows the chosen file in row 1 at once; Cancel keeps it.
    std::vector<COLORREF> row5;
    ASSERT_TRUE(WaitFor([&] {
        row5 = ScreenImage(ScreenRect(page, IDC_ROW_ICON5));
        return row5 != ScreenImage(ScreenRect(page, IDC_ROW_ICON1));
    }));
    ClickControl(page, IDC_CHANGE_ICON);
    const CString slotOne = install.Dir() + "\\icons\\fld05.ico";
    ASSERT_TRUE(ChooseFile(process.Id(), slotOne));
    EXPECT_TRUE(WaitFor([&] { return ScreenImage(ScreenRect(page, IDC_ROW_ICON1)) == row5; }));
    SendMessageA(field, WM_SETTEXT, 0, (LPARAM)tooLong); // Cancel reads nothing back
    ClickControl(sheet, IDCANCEL);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(chooser); }));
    EnableWindow(GetDlgItem(chooser, IDC_SETTINGS), FALSE);

    const CString chosen = install.Dir() + "\\my icons\\表示.ico"; // 0x5C as a trail byte
    CreateDirectoryA(install.Dir() + "\\my icons", nullptr);
    ASSERT_TRUE(CopyFileA(install.Dir() + "\\icons\\fld03.ico", chosen, FALSE));
    for (int answer : {0, IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        // The popup has the keyboard, after a cancel too; End and ↑ lead to "その他".
        ASSERT_TRUE(WaitForKeyboard(chooser));
        for (WORD key : {VK_END, VK_UP, VK_SPACE})
            PressKey(key);
        ASSERT_TRUE(ChooseFile(process.Id(), answer ? (const char*)chosen : nullptr));
        if (!answer) {
            ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(chooser); }));
            continue;
        }
        HWND prompt = WaitForPrompt(process.Id());
        ASSERT_TRUE(prompt);
        EXPECT_EQ("以前の説明", TextOf(GetDlgItem(prompt, IDC_COMMENT)));
        ClickControl(prompt, answer);
        if (answer == IDOK)
            break;
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(chooser); }));
        EXPECT_EQ("[.ShellClassInfo]\r\nInfoTip=以前の説明\r\n",
                  ReadBytes(install.Target() + "\\desktop.ini"));
    }
    EXPECT_EQ(0u, process.WaitExit());
    EXPECT_EQ((Lines{"[.ShellClassInfo]", "InfoTip=以前の説明", "ConfirmFileOp=0",
                     "IconFile=" + std::string(chosen), "IconIndex=0"}),
              IniLines(ReadBytes(install.Target() + "\\desktop.ini")));
    EXPECT_EQ(std::string::npos, ReadBytes(install.Ini()).find("表示.ico"));
    EXPECT_EQ(std::string(slotOne), Setting(install.Ini(), "IconPath", "PATH_1"));
}

// The path as the test reads it: its short form spells any name in CP932.
CString ShortPath(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH * 2] = L"";
    GetShortPathNameW(path.c_str(), shortPath, MAX_PATH * 2);
    char bytes[MAX_PATH * 4] = "";
    WideCharToMultiByte(CP_ACP, 0, shortPath, -1, bytes, sizeof(bytes), nullptr, nullptr);
    return bytes;
}

// The program in a folder named with 鷗. Three launches started together, on
// folders named with 鷗, with an emoji and plainly, give one popup for all;
// one started while a choice is in hand opens its own, here on two folders,
// one of them unwritable, whose failure comes in one box at the end. (A
// missing folder would make its hand-over invalid, whoever collects.)
TEST(Program, LaunchesTogetherJoinTheFirstWhateverTheFoldersAreNamed) {
    TempDir dir;
    const std::wstring home = std::wstring(WideText(dir.Path())) + L"\\森鷗外";
    const std::wstring folders[] = {home + L"\\鷗", home + L"\\\U0001F600", home + L"\\plain",
                                    home + L"\\late"};
    CreateDirectoryW(home.c_str(), nullptr);
    const std::wstring exe = home + L"\\Vorelkin.exe";
    ASSERT_TRUE(CopyFileW(WideText(BesideTests("Vorelkin.exe")), exe.c_str(), FALSE));
    for (const std::wstring& folder : folders)
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    Process processes[4];
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(processes[i].Start((L"\"" + exe + L"\" \"" + folders[i] + L"\"").c_str()));
    Process* first = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        int running = 0;
        for (int i = 0; i < 3; ++i)
            first = processes[i].IsRunning() && ++running ? &processes[i] : first;
        return running == 1;
    }));
    HWND chooser = WaitForChooser(first->Id());
    ASSERT_TRUE(chooser);
    EXPECT_TRUE(Attributes(ShortPath(home + L"\\icons")) & FILE_ATTRIBUTE_DIRECTORY);
    ClickControl(chooser, IDC_SLOT1);
    HWND prompt = WaitForDialog(
        first->Id(), [](HWND w) { return TextOf(w) == "フォルダの説明を入力 (3 個のフォルダ)"; });
    ASSERT_TRUE(prompt);
    const CString broken = dir / "broken";
    CreateDirectoryA(broken, nullptr);
    CreateDirectoryA(broken + "\\desktop.ini", nullptr);
    ASSERT_TRUE(processes[3].Start(
        (L"\"" + exe + L"\" \"" + folders[3] + L"\" \"" + std::wstring(WideText(broken)) + L"\"")
            .c_str()));
    HWND late = WaitForChooser(processes[3].Id());
    ASSERT_TRUE(late);
    SendMessageA(GetDlgItem(prompt, IDC_COMMENT), WM_SETTEXT, 0, (LPARAM) "共通");
    PostClick(prompt, IDOK); // the late popup may lie over it
    EXPECT_EQ(0u, first->WaitExit());
    PostClick(late, IDC_SLOT2);
    prompt = WaitForDialog(processes[3].Id(), [](HWND w) {
        return TextOf(w) == "フォルダの説明を入力 (2 個のフォルダ)";
    });
    ASSERT_TRUE(prompt);
    PostClick(prompt, IDOK);
    EXPECT_EQ("Vorelkin|アイコンの変更に失敗しました\r\n" + std::string(broken) +
                  ": ConfirmFileOpのｴﾗｰですSetStringINI",
              AnswerBox(processes[3].Id()));
    EXPECT_EQ(0u, processes[3].WaitExit());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("共通",
                  Setting(ShortPath(folders[i] + L"\\desktop.ini"), ".ShellClassInfo", "InfoTip"));
        EXPECT_TRUE(Attributes(ShortPath(folders[i])) & FILE_ATTRIBUTE_SYSTEM);
    }
    EXPECT_EQ(std::string(ShortPath(home + L"\\icons")) + "\\fld02.ico",
              Setting(ShortPath(folders[3] + L"\\desktop.ini"), ".ShellClassInfo", "IconFile"));
}

// A pipe of the collector's name served by another program (this test), and
// a window of the old hand-over's class, swallow no launch: it sends the
// pipe nothing and opens its own popup. A launch whose one folder cannot be
// named ends after the box that says so, with no popup.
TEST(Program, ALaunchHandsOverOnlyToItsOwnCollectorAndEndsWithNoFolder) {
    Install install;
    const std::wstring exe(WideText(install.Dir() + "\\Vorelkin.exe"));
    ScopedFile pipe(
        CreateNamedPipeW(CollectorPipeName(exe.c_str()), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe.IsValid());
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED io = {};
    io.hEvent = event;
    ConnectNamedPipe(pipe, &io);
    wchar_t user[257] = L"";
    DWORD size = 257;
    GetUserNameW(user, &size);
    WNDCLASSW oldClass = {};
    oldClass.lpfnWndProc = DefWindowProcW;
    oldClass.lpszClassName = L"VorelkinFolderCollector";
    RegisterClassW(&oldClass);
    HWND stale = CreateWindowW(oldClass.lpszClassName, user, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               nullptr, nullptr);
    Process process;
    HWND chooser = install.Open(process);
    EXPECT_TRUE(chooser);
    char got[16];
    DWORD bytes = 0;
    io = {};
    io.hEvent = event;
    BOOL done = ReadFile(pipe, got, sizeof(got), nullptr, &io);
    // Connected or not, the launch sent nothing.
    if (done || GetLastError() == ERROR_IO_PENDING) {
        if (WaitForSingleObject(event, 1000) != WAIT_OBJECT_0)
            CancelIo(pipe);
        GetOverlappedResult(pipe, &io, &bytes, TRUE);
    }
    EXPECT_EQ(0u, bytes);
    PostClick(chooser, IDC_CANCEL_ITEM);
    EXPECT_EQ(0u, process.WaitExit());
    DestroyWindow(stale);

    Process lone;
    ASSERT_TRUE(lone.Start(
        (L"\"" + exe + L"\" \"" + std::wstring(WideText(install.Dir())) + L"\\\U0001F600\"")
            .c_str()));
    EXPECT_EQ(0u, AnswerBox(lone.Id()).find("Vorelkin|このフォルダの名前は扱えません。"));
    EXPECT_EQ(0u, lone.WaitExit());
}

// Keys as in a context menu, each row a launch with the pointer in a corner of
// the work area: the popup lies whole there with its corner at the pointer.
TEST(Program, KeysChooseAsInAContextMenuAndCornersKeepThePopupWhole) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG right = work.right - 1, bottom = work.bottom - 1;
    // The pointer's corner, the keys, the slot chosen as desktop.ini names it (0: "標準").
    const std::tuple<int, POINT, std::vector<WORD>, int> rows[] = {
        // Enter without a bar does nothing; ↑ from none is "ｷｬﾝｾﾙ", ↓ goes round.
        {__LINE__, {work.left, work.top}, {VK_RETURN, VK_UP, VK_DOWN, VK_DOWN, VK_RETURN}, 1},
        // ↓ from none is "標準"; ↑ goes round and skips "設定...".
        {__LINE__, {right, work.top}, {VK_DOWN, VK_UP, VK_UP, VK_UP, VK_SPACE}, 7},
        {__LINE__, {work.left, bottom}, {VK_END, VK_UP, VK_DOWN, VK_DOWN, VK_RETURN}, 0},
        {__LINE__, {right, bottom}, {VK_DOWN, VK_DOWN, VK_HOME, VK_UP, VK_UP, VK_UP, VK_RETURN}, 7},
        // A digit chooses its slot's row: each row does its own slot.
        {__LINE__, {work.left, work.top}, {'2'}, 2},
        {__LINE__, {work.left, work.top}, {'3'}, 3},
        {__LINE__, {work.left, work.top}, {'4'}, 4},
        {__LINE__, {right, bottom}, {VK_NUMPAD5}, 5},
        {__LINE__, {right, bottom}, {VK_NUMPAD6}, 6},
    };
    Install install;
    const CString folderIni = install.Target() + "\\desktop.ini";
    for (const auto& [line, corner, keys, slot] : rows) {
        SCOPED_TRACE(line);
        DeleteFileA(folderIni);
        MovePointer(corner.x, corner.y);
        Process process;
        HWND chooser = install.Open(process);
        ASSERT_TRUE(chooser);
        RECT rect;
        GetWindowRect(chooser, &rect);
        EXPECT_EQ(corner.x == right ? right - (rect.right - rect.left) : corner.x, rect.left);
        EXPECT_EQ(corner.y == bottom ? bottom - (rect.bottom - rect.top) : corner.y, rect.top);
        MovePointer((work.left + work.right) / 2, (work.top + work.bottom) / 2); // off the popup
        ASSERT_TRUE(WaitForKeyboard(chooser));
        for (WORD key : keys)
            PressKey(key);
        if (slot)
            PostClick(WaitForPrompt(process.Id()), IDOK);
        EXPECT_EQ(0u, process.WaitExit());
        ASSERT_TRUE(FileExists(folderIni));
        EXPECT_EQ(slot ? Setting(install.Ini(), "IconPath", IconSlot::PathKey(slot)) : "",
                  Setting(folderIni, ".ShellClassInfo", "IconFile"));
    }
}
// "その他..." on a file CP932 cannot spell takes its short form; a
// description with 鷗, from a UTF-16 desktop.ini, gets an emoji and goes back.
TEST(Program, OtherInAFolderNamedWithOgaiAndADescriptionWithAnEmojiStayWhole) {
    const wchar_t before[] = L"森鷗外",
                  after[] = L"森鷗外\U0001F600"; // not in the macros' CP932 text
    Install install(true);
    const std::wstring ini = std::wstring(WideText(install.Target())) + L"\\desktop.ini";
    ASSERT_TRUE(WriteBytes(install.Target() + "\\desktop.ini", "\xFF\xFE"));
    ASSERT_TRUE(WritePrivateProfileStringW(L".ShellClassInfo", L"InfoTip", before, ini.c_str()));
    const std::wstring icon = std::wstring(WideText(install.Dir())) + L"\\鷗.ico";
    ASSERT_TRUE(CopyFileW(WideText(install.Dir() + "\\icons\\fld03.ico"), icon.c_str(), FALSE));
    Process process;
    ClickControl(install.Open(process), IDC_OTHER);
    ASSERT_TRUE(ChooseFile(process.Id(), icon.c_str()));
    HWND prompt = WaitForPrompt(process.Id());
    HWND edit = GetDlgItem(prompt, IDC_COMMENT);
    wchar_t shown[64] = L"";
    SendMessageW(edit, WM_GETTEXT, 64, (LPARAM)shown);
    EXPECT_STREQ(before, shown);
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)after);
    PostClick(prompt, IDOK);
    EXPECT_EQ(0u, process.WaitExit());
    wchar_t tip[64] = L"", file[MAX_PATH] = L"";
    GetPrivateProfileStringW(L".ShellClassInfo", L"InfoTip", L"", tip, 64, ini.c_str());
    EXPECT_STREQ(after, tip);
    GetPrivateProfileStringW(L".ShellClassInfo", L"IconFile", L"", file, MAX_PATH, ini.c_str());
    EXPECT_STREQ(WideText(ShortPath(icon)), file);
}
} // namespace

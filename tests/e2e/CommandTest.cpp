// The commands for scripts, run as a script runs them: Vorelkin.com and
// Vorelkin.exe with their output and error output in pipes, their exit
// codes, and the folders they leave.
#include "base/WideText.h"
#include "framework/Scoped.h"
#include "res/resource.h"
#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {
using Lines = std::vector<std::string>;

std::string Utf8(const CString& cp932) {
    return Utf8Of(WideText(cp932)).GetString();
}

std::wstring Wide(const CString& cp932) {
    return (const wchar_t*)WideText(cp932);
}

struct Ran {
    DWORD code = STILL_ACTIVE;
    std::string out, errors;
};

// Runs the install's program with the arguments in the install's folder;
// killed when it has not ended in time.
Ran RunCommand(const Install& install, const char* program, const std::wstring& arguments) {
    Ran ran;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE ends[4] = {};
    if (!CreatePipe(&ends[0], &ends[1], &inherit, 1 << 20) ||
        !CreatePipe(&ends[2], &ends[3], &inherit, 1 << 20))
        return ran;
    ScopedKernelHandle outRead(ends[0]), outWrite(ends[1]), errorRead(ends[2]), errorWrite(ends[3]);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errorRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errorWrite;
    std::wstring line = L"\"" + Wide(install.Dir() + "\\" + program) + L"\" " + arguments;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                        Wide(install.Dir()).c_str(), &startup, &info))
        return ran;
    ScopedKernelHandle process(info.hProcess), thread(info.hThread);
    outWrite.Reset();
    errorWrite.Reset();
    if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        return ran;
    }
    GetExitCodeProcess(process, &ran.code);
    for (auto [pipe, text] : {std::make_pair((HANDLE)outRead, &ran.out),
                              std::make_pair((HANDLE)errorRead, &ran.errors)}) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read)
            text->append(buffer, read);
    }
    return ran;
}

// The process id of the install's running Vorelkin.exe; 0 when none runs.
DWORD ProgramOf(const Install& install) {
    ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        ScopedKernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH];
        DWORD size = MAX_PATH;
        if (process.IsValid() && QueryFullProcessImageNameW(process, 0, image, &size) &&
            Wide(install.Dir() + "\\Vorelkin.exe") == image)
            return entry.th32ProcessID;
    }
    return 0;
}

// An export's rows without their times, one folder moved to another.
std::string RowsWithoutTimes(std::string text, const std::string& from, const std::string& to) {
    std::string rows;
    for (size_t at = text.find("\r\n") + 2; at < text.size();) {
        size_t end = text.find("\r\n", at);
        std::string row = text.substr(at, end - at);
        at = end + 2;
        if (row.rfind(u8"その他", 0) == 0)
            continue;
        size_t folder = row.find(from);
        if (folder != std::string::npos)
            row.replace(folder, from.size(), to);
        rows += row.substr(0, row.rfind('\t')) + "\n";
    }
    return rows;
}
// The popup's row 重要 on the folder, with "メモ" in its prompt.
void MarkFromThePopup(const Install& install, const CString& folder) {
    Process process;
    HWND chooser = install.Open(process, folder);
    ASSERT_TRUE(chooser);
    ClickControl(chooser, IDC_SLOT2);
    HWND prompt = WaitForPrompt(process.Id());
    ASSERT_TRUE(prompt);
    SendMessageA(GetDlgItem(prompt, IDC_COMMENT), WM_SETTEXT, 0, (LPARAM) "メモ");
    ClickControl(prompt, IDOK);
    ASSERT_EQ(0u, process.WaitExit());
}
} // namespace

// From a popup's row to the same bytes by /set, through /get, /list and an
// export read back into a copy of the tree, to every exit code: each failure
// one line on error output, and a bad command line changes nothing.
TEST(Commands, MarkReadExportAndImportFromAScriptAsThePopupDoes) {
    Install install(true);
    const CString dir = install.Dir(), root = install.Target();
    ASSERT_TRUE(CopyFileA(BesideTests("Vorelkin.com"), dir + "\\Vorelkin.com", FALSE));
    // A console program: cmd and PowerShell wait for it.
    const std::string com = ReadBytes(dir + "\\Vorelkin.com");
    ASSERT_GT(com.size(), sizeof(IMAGE_DOS_HEADER));
    const auto* nt =
        (const IMAGE_NT_HEADERS*)(com.data() + ((const IMAGE_DOS_HEADER*)com.data())->e_lfanew);
    EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_CUI, nt->OptionalHeader.Subsystem);

    // The popup's row 重要 and /set 重要 on folders seeded alike, with the
    // icon copied: the same bytes, the same bits.
    ASSERT_TRUE(WriteBytes(install.Ini(), "[Property]\r\nICON_COPY=1\r\n"));
    const std::string seeded = "; mine\r\n[.ShellClassInfo]\r\nIconResource=x.dll,3\r\n"
                               "InfoTip=前\r\n[ViewState]\r\nMode=4\r\n";
    for (const char* name : {"\\p", "\\s", "\\k1", "\\k2", "\\o", "\\none", "\\held"})
        ASSERT_TRUE(CreateDirectoryA(root + name, nullptr));
    ASSERT_TRUE(WriteBytes(root + "\\p\\desktop.ini", seeded));
    ASSERT_TRUE(WriteBytes(root + "\\s\\desktop.ini", seeded));
    ASSERT_NO_FATAL_FAILURE(MarkFromThePopup(install, root + "\\p"));
    Ran ran = RunCommand(install, "Vorelkin.com", L"/set 重要 target\\s /desc メモ");
    EXPECT_EQ(0u, ran.code);
    EXPECT_EQ("", ran.out + ran.errors);
    for (const char* name : {"", "\\desktop.ini", "\\fld02.ico"}) {
        EXPECT_EQ(ReadBytes(root + "\\p" + name), ReadBytes(root + "\\s" + name)) << name;
        EXPECT_EQ(Attributes(root + "\\p" + name), Attributes(root + "\\s" + name)) << name;
    }
    EXPECT_NE(std::string::npos, ReadBytes(root + "\\s\\desktop.ini").find("[ViewState]"));

    // Without /desc each folder keeps its own description; その他 takes a
    // file whose name holds a comma, the index after the last one.
    ASSERT_TRUE(WriteBytes(root + "\\k1\\desktop.ini", "[.ShellClassInfo]\r\nInfoTip=一\r\n"));
    ASSERT_TRUE(WriteBytes(root + "\\k2\\desktop.ini", "[.ShellClassInfo]\r\nInfoTip=二\r\n"));
    ASSERT_TRUE(CopyFileA(dir + "\\icons\\fld07.ico", dir + "\\mine,1.ico", FALSE));
    ran = RunCommand(install, "Vorelkin.com", L"/SET 3 target\\k1 \"" + Wide(root) + L"\\k2\"");
    EXPECT_EQ(0u, ran.code) << ran.errors;
    ran = RunCommand(install, "Vorelkin.com", L"/set その他 mine,1.ico,0 target\\o /desc:");
    EXPECT_EQ(0u, ran.code) << ran.errors;
    EXPECT_EQ((Lines{"[.ShellClassInfo]", "InfoTip=一", "ConfirmFileOp=0", "IconFile=fld03.ico",
                     "IconIndex=0"}),
              IniLines(ReadBytes(root + "\\k1\\desktop.ini")));
    EXPECT_NE(std::string::npos, ReadBytes(root + "\\k2\\desktop.ini").find("InfoTip=二"));
    EXPECT_NE(std::string::npos, ReadBytes(root + "\\o\\desktop.ini").find("IconFile=mine,1.ico"));

    // /get: the export's line of a marked folder; an unmarked one's with
    // status and description empty, exit 1.
    ran = RunCommand(install, "Vorelkin.com", L"/get target\\k1 target\\none");
    EXPECT_EQ(1u, ran.code);
    const std::string r = Utf8(root);
    EXPECT_EQ(0u, ran.out.find(u8"進行中\t" + r + u8"\\k1\t一\t20")) << ran.out;
    EXPECT_EQ("\t" + r + "\\none\t\t\r\n", ran.out.substr(ran.out.find("\r\n") + 2));
    EXPECT_EQ("", ran.errors);

    // /list to a pipe: the export's text, without its byte-order mark.
    ran = RunCommand(install, "Vorelkin.com", L"/list target");
    EXPECT_EQ(0u, ran.code);
    ASSERT_EQ(0u, RunCommand(install, "Vorelkin.com", L"/list target /export marks.txt").code);
    const std::string marks = ReadBytes(dir + "\\marks.txt");
    EXPECT_EQ(marks.substr(3), ran.out);
    EXPECT_EQ(6, (int)std::count(marks.begin(), marks.end(), '\n')); // header, p s k1 k2 o

    // Read back into a copy of the tree without marks: the same rows, but
    // その他's, which the export cannot carry (exit 2, one line).
    for (const char* name : {"", "\\p", "\\s", "\\k1", "\\k2", "\\o"})
        ASSERT_TRUE(CreateDirectoryA(dir + "\\copy" + name, nullptr));
    ran = RunCommand(install, "Vorelkin.com",
                     L"/import marks.txt /from \"" + Wide(root) + L"\\\" /to copy");
    EXPECT_EQ(2u, ran.code);
    EXPECT_EQ(u8"Vorelkin: その他 の行はアイコンが書き出されていないので付けられません: " +
                  Utf8(dir) + "\\copy\\o\r\n",
              ran.errors);
    ASSERT_EQ(0u, RunCommand(install, "Vorelkin.com", L"/list copy /export again.txt").code);
    EXPECT_EQ(RowsWithoutTimes(marks, r + "\\", Utf8(dir) + "\\copy\\"),
              RowsWithoutTimes(ReadBytes(dir + "\\again.txt"), "", ""));

    // Every code, each failure one line naming its folder; several folders
    // go on past a failure and give the first of 4, 3, 2, 1. A bad command
    // line or import file changes nothing, vrkcfg.ini included.
    ASSERT_TRUE(WriteBytes(dir + "\\file.txt", "x"));
    ASSERT_TRUE(WriteBytes(dir + "\\no-header.txt", marks.substr(marks.find('\n') + 1)));
    ASSERT_TRUE(WriteBytes(dir + "\\three.txt", marks + u8"重要\tC:\\\t説明\r\n"));
    ASSERT_TRUE(WriteBytes(dir + "\\unknown.txt", marks + u8"大事\tC:\\\t\t\r\n"));
    ASSERT_TRUE(WriteBytes(root + "\\held\\desktop.ini", "[.ShellClassInfo]\r\n"));
    ScopedFile held(CreateFileA(root + "\\held\\desktop.ini", GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.IsValid());
    auto state = [&] {
        std::string bytes = ReadBytes(install.Ini());
        for (const char* name : {"\\target\\k1", "\\target\\k2", "\\copy\\p", "\\copy\\k1"})
            bytes +=
                ReadBytes(dir + name + "\\desktop.ini") + std::to_string(Attributes(dir + name));
        return bytes;
    };
    const std::string before = state();
    // {line, program, arguments, code, a name its error line holds, error
    // lines, result lines}
    const std::tuple<int, const char*, std::wstring, DWORD, std::string, int, int> rows[] = {
        {__LINE__, "Vorelkin.com", L"/frob target\\k1", 4, "/frob", 1, 0},
        {__LINE__, "Vorelkin.com", L"/set 8 target\\k1", 4, ": 8", 1, 0},
        {__LINE__, "Vorelkin.exe", L"/set 1 target\\k1 /desc", 4, "/desc", 1, 0},
        {__LINE__, "Vorelkin.com", L"/set 1 /desc x", 4, u8"フォルダ", 1, 0},
        {__LINE__, "Vorelkin.com", L"/set 1 k1 /desc " + std::wstring(256, L'a'), 4, "255", 1, 0},
        {__LINE__, "Vorelkin.com", L"/set その他 none.ico target\\k1", 4, "none.ico", 1, 0},
        {__LINE__, "Vorelkin.com", L"/import file.txt /from C:\\", 4, "/to", 1, 0},
        {__LINE__, "Vorelkin.com", L"/import no-header.txt", 4, "no-header.txt", 1, 0},
        {__LINE__, "Vorelkin.com", L"/import three.txt", 4, u8"7 行目", 1, 0},
        {__LINE__, "Vorelkin.com", L"/import unknown.txt", 4, u8"7 行目", 1, 0},
        {__LINE__, "Vorelkin.com", L"/set 1 target\\held target\\gone", 3, "held", 2, 0},
        {__LINE__, "Vorelkin.exe", L"/get target\\k1 file.txt target\\none", 2, "file.txt", 1, 2},
        {__LINE__, "Vorelkin.com", L"/get target\\p NUL target\\s:x \\\\?\\C:\\", 2, "NUL", 3, 1},
        {__LINE__, "Vorelkin.com", L"/unmark /s", 4, u8"フォルダ", 1, 0},
        {__LINE__, "Vorelkin.com", L"/undo target\\gone", 2, "gone", 1, 0},
        {__LINE__, "Vorelkin.com", L"/redo", 5, u8"やり直す", 1, 0},
    };
    for (const auto& [line, program, arguments, code, named, errors, results] : rows) {
        ran = RunCommand(install, program, arguments);
        EXPECT_EQ(code, ran.code) << "line " << line;
        EXPECT_EQ(0u, ran.errors.find("Vorelkin: ")) << "line " << line;
        EXPECT_NE(std::string::npos, ran.errors.find(named)) << "line " << line << ran.errors;
        EXPECT_EQ(errors, (int)std::count(ran.errors.begin(), ran.errors.end(), '\n'))
            << "line " << line << ran.errors;
        EXPECT_EQ(results, (int)std::count(ran.out.begin(), ran.out.end(), '\n'))
            << "line " << line << ran.out;
        if (code == 4) {
            EXPECT_EQ(before, state()) << "line " << line;
        }
    }
    // Without a command: Vorelkin.exe on the same folders, the popup, while
    // the console program has ended already.
    ran = RunCommand(install, "Vorelkin.com", L"target\\none");
    EXPECT_EQ(0u, ran.code);
    DWORD popup = 0;
    EXPECT_TRUE(WaitFor([&] { return (popup = ProgramOf(install)) != 0; }));
    ScopedKernelHandle program(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, popup));
    HWND chooser = WaitForChooser(popup);
    EXPECT_TRUE(chooser);
    PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
    if (program.IsValid() && WaitForSingleObject(program, kWaitMs) != WAIT_OBJECT_0)
        TerminateProcess(program, 99);
    ran = RunCommand(install, "Vorelkin.com", L"/?");
    EXPECT_EQ(0u, ran.code);
    EXPECT_NE(std::string::npos, ran.out.find("/import")) << ran.out;
}

// A folder as Explorer's Properties leave it, marked from the popup and then
// by /set: two /undo give it back byte for byte and bit for bit, /redo the
// popup's mark, and /unmark after three marks the first state. A folder
// without desktop.ini marked with its icon copied has neither after
// /unmark. /undo keeps a line added by hand and leaves alone a folder whose
// IconFile was edited (5); a journal that cannot be written costs no mark.
TEST(Commands, EveryMarkCanBeTakenBackExactly) {
    Install install(true);
    const CString dir = install.Dir(), root = install.Target();
    ASSERT_TRUE(CopyFileA(BesideTests("Vorelkin.com"), dir + "\\Vorelkin.com", FALSE));
    auto run = [&](const std::wstring& arguments) {
        return RunCommand(install, "Vorelkin.com", arguments);
    };
    const CString props = root + "\\props", ini = props + "\\desktop.ini";
    const std::string custom = "[.ShellClassInfo]\r\nIconResource=C:\\Windows\\system32\\"
                               "shell32.dll,3\r\nInfoTip=前からの説明\r\n[ViewState]\r\nMode=\r\n"
                               "Vid=\r\nFolderType=Generic\r\n";
    ASSERT_TRUE(CreateDirectoryA(props, nullptr));
    ASSERT_TRUE(WriteBytes(ini, custom));
    // Wine keeps only Hidden and System on folders.
    SetFileAttributesA(ini, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(props, FILE_ATTRIBUTE_SYSTEM);
    const DWORD iniBits = Attributes(ini), folderBits = Attributes(props);
    auto asFirst = [&] {
        EXPECT_EQ(custom, ReadBytes(ini));
        EXPECT_EQ(iniBits, Attributes(ini));
        EXPECT_EQ(folderBits, Attributes(props));
    };

    ASSERT_NO_FATAL_FAILURE(MarkFromThePopup(install, props));
    const std::string popupMark = ReadBytes(ini);
    const DWORD markedBits = Attributes(ini);
    ASSERT_NE(std::string::npos, popupMark.find("fld02.ico"));
    EXPECT_EQ(0u, run(L"/set 必須 target\\props").code);
    Ran ran = run(L"/undo");
    EXPECT_EQ(0u, ran.code) << ran.errors;
    EXPECT_EQ(popupMark, ReadBytes(ini));
    EXPECT_EQ(0u, run(L"/undo").code);
    asFirst();
    EXPECT_EQ(0u, run(L"/redo").code);
    EXPECT_EQ(popupMark, ReadBytes(ini));
    EXPECT_EQ(markedBits, Attributes(ini));
    EXPECT_EQ(0u, run(L"/set 3 target\\props").code);
    EXPECT_EQ(0u, run(L"/set 4 target\\props").code);
    EXPECT_EQ(0u, run(L"/unmark target\\props").code);
    asFirst();

    // A line added by hand stays, our keys go back; an IconFile edited by
    // hand leaves the folder as it is.
    EXPECT_EQ(0u, run(L"/set 1 target\\props").code);
    SetFileAttributesA(ini, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteBytes(ini, ReadBytes(ini) + "[Extra]\r\nNote=手で追加\r\n"));
    EXPECT_EQ(0u, run(L"/undo target\\props").code);
    Lines lines = IniLines(ReadBytes(ini)),
          expected = IniLines(custom + "[Extra]\r\nNote=手で追加\r\n");
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(0u, run(L"/set 1 target\\props").code);
    std::string edited = ReadBytes(ini);
    edited.replace(edited.find("IconFile="), 9, "IconFile=C:\\hand.ico;");
    SetFileAttributesA(ini, FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteBytes(ini, edited));
    ran = run(L"/undo target\\props");
    EXPECT_EQ(5u, ran.code);
    EXPECT_NE(std::string::npos, ran.errors.find(Utf8(props))) << ran.errors;
    EXPECT_EQ(edited, ReadBytes(ini));

    // No desktop.ini, the icon copied: /unmark leaves neither.
    const CString plain = root + "\\plain";
    ASSERT_TRUE(CreateDirectoryA(plain, nullptr));
    const DWORD plainBits = Attributes(plain);
    ASSERT_TRUE(WriteBytes(install.Ini(), "[Property]\r\nICON_COPY=1\r\n"));
    EXPECT_EQ(0u, run(L"/set 重要 target\\plain").code);
    ASSERT_TRUE(FileExists(plain + "\\fld02.ico"));
    EXPECT_EQ(0u, run(L"/unmark target\\plain").code);
    EXPECT_FALSE(FileExists(plain + "\\desktop.ini"));
    EXPECT_FALSE(FileExists(plain + "\\fld02.ico"));
    EXPECT_EQ(plainBits, Attributes(plain));

    // The journal's place taken by a file: the mark is made, one line says
    // it cannot be undone, and the code stays 0.
    ASSERT_TRUE(WriteBytes(dir + "\\no-journal", "x"));
    SetEnvironmentVariableW(L"VORELKIN_DATA", Wide(dir + "\\no-journal").c_str());
    ran = run(L"/set 5 target\\plain");
    SetEnvironmentVariableW(L"VORELKIN_DATA",
                            WideText(JournalFile().Left(JournalFile().GetLength() - 10)));
    EXPECT_EQ(0u, ran.code);
    EXPECT_EQ(1, (int)std::count(ran.errors.begin(), ran.errors.end(), '\n')) << ran.errors;
    EXPECT_NE(std::string::npos, ran.errors.find(u8"この変更は元に戻せません")) << ran.errors;
    EXPECT_NE(std::string::npos, ReadBytes(plain + "\\desktop.ini").find("fld05.ico"));
}

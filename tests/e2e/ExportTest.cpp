// The overview's export, run as scripts run it: the real program with
// "/list <folder> /export <file>", its exit code, its one line of error
// output and the file it leaves.
#include "base/WideText.h"
#include "framework/Scoped.h"
#include "support/Desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using namespace std::string_literals;

std::wstring Wide(const CString& cp932) {
    return (const wchar_t*)WideText(cp932);
}

std::wstring Long(const std::wstring& path) {
    return L"\\\\?\\" + path;
}

// A folder (or one there already), its desktop.ini (none for no bytes),
// written 2024-07-01 12:34:56 local time, and its attribute bits.
void Folder(const std::wstring& path, DWORD attributes, const std::string& ini = "") {
    CreateDirectoryW(Long(path).c_str(), nullptr);
    if (!ini.empty()) {
        ScopedFile file(CreateFileW(Long(path + L"\\desktop.ini").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file, ini.data(), (DWORD)ini.size(), &written, nullptr));
        file.Reset();
        ASSERT_TRUE(SetLocalWriteTime(Long(path + L"\\desktop.ini").c_str(),
                                      {2024, 7, 0, 1, 12, 34, 56, 0}));
    }
    ASSERT_TRUE(
        SetFileAttributesW(Long(path).c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
}

// Everything under the folder, links not followed: name, bits, size, time.
void Snapshot(const std::wstring& folder, std::vector<std::string>& entries) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(Long(folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        entries.push_back(Utf8(folder + L"\\" + name) + " " +
                          std::to_string(found.dwFileAttributes) + " " +
                          std::to_string(found.nFileSizeLow) + " " +
                          std::to_string(found.ftLastWriteTime.dwLowDateTime));
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            Snapshot(folder + L"\\" + name, entries);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

// Wine's CreateSymbolicLinkW returns TRUE and makes nothing, and it has no
// junctions (FSCTL_SET_REPARSE_POINT fails), but it runs Unix programs, and
// reports a Unix symbolic link as a reparse point. Runs "program "first"
// "<the path's Unix name>""; false outside Wine.
bool RunUnix(const wchar_t* program, const std::wstring& first, const std::wstring& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName =
        (UnixName)(void*)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name)
        return false;
    std::wstring line = program + (L" \"" + first + L"\" \"") + Wide(name) + L"\"";
    HeapFree(GetProcessHeap(), 0, name);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        return false;
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

// A symbolic link to a folder, the target relative to the link's folder.
bool LinkFolder(const std::wstring& link, const std::wstring& target) {
    if (!RunUnix(L"Z:\\bin\\ln -s", target, link))
        CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    // Wine may report the Unix program ended before its work is seen.
    return WaitFor([&] {
        DWORD attributes = GetFileAttributesW(link.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    });
}

// The tree goes as a whole before the test support's remover, which would
// follow the links and cannot take paths past MAX_PATH.
struct TreeRemover {
    ~TreeRemover() {
        RunUnix(L"Z:\\bin\\rm -rf", L"--", root);
        WaitFor([&] { return GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
    std::wstring root;
};

struct Ran {
    DWORD code = STILL_ACTIVE;
    std::string errors; // what it wrote to its error output
};

// Runs the installed program with the arguments, its error output into a
// pipe; killed when it has not ended in time.
Ran RunExport(const Install& install, const std::wstring& arguments) {
    Ran ran;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16))
        return ran;
    ScopedKernelHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writer;
    std::wstring line = L"\"" + Wide(install.Dir()) + L"\\Vorelkin.exe\" " + arguments;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                        Wide(install.Dir()).c_str(), &startup, &info))
        return ran;
    ScopedKernelHandle process(info.hProcess), thread(info.hThread);
    writer.Reset();
    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 99);
        WaitForSingleObject(process, 5000);
        return ran;
    }
    GetExitCodeProcess(process, &ran.code);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(reader, buffer, sizeof(buffer), &read, nullptr) && read)
        ran.errors.append(buffer, read);
    return ran;
}
} // namespace

// A tree with every status, each listed once and sorted, beside what is no
// mark: a desktop.ini in a folder without System or ReadOnly, one of
// garbage, folders behind links and a folder the scan cannot open. The
// scan changes nothing, and the export writes no settings back.
TEST(Export, ListsEveryMarkOnceChangesNothingAndExitsWithItsCodes) {
    Install install;
    const std::wstring root = Wide(install.Target()), icons = Wide(install.Dir()) + L"\\icons";
    TreeRemover remover{root};
    // A write-back would store "00" as "0".
    std::string settings = "; mine\r\n" + DefaultSettings(Utf8(icons), "\\fld0");
    settings.replace(settings.find("ICON_INDEX_0=0"), 14, "ICON_INDEX_0=00");
    ASSERT_TRUE(WriteBytes(install.Ini(), settings));

    const std::string head = "[.ShellClassInfo]\r\n";
    Folder(root, FILE_ATTRIBUTE_SYSTEM, head + "InfoTip=根\r\n"); // the folder given counts
    Folder(root + L"\\ignored", 0, head + "InfoTip=no bit, no mark\r\n");
    // Slot n by its full path, by a copy in the folder, by another PC's icons.
    // (Wine keeps no ReadOnly bit on a folder, so System alone is tried.)
    const std::string forms[] = {Utf8(icons) + "\\fld0", "fld0", "Z:\\他のPC\\icons\\FLD0"};
    for (int n = 1; n <= 7; ++n) {
        Folder(root + L"\\s" + std::to_wstring(n), FILE_ATTRIBUTE_SYSTEM,
               head + "IconFile=" + forms[n % 3] + std::to_string(n) + ".ico\r\nIconIndex=0\r\n");
    }
    Folder(root + L"\\other", FILE_ATTRIBUTE_SYSTEM, head + "IconFile=C:\\mine.ico\r\n");
    const wchar_t utf16[] = L"\xFEFF[.ShellClassInfo]\r\nInfoTip=鷗\t😀\r\n";
    Folder(root + L"\\鷗外😀", FILE_ATTRIBUTE_SYSTEM,
           std::string((const char*)utf16, sizeof(utf16) - 2));
    Folder(root + L"\\junk", FILE_ATTRIBUTE_SYSTEM,
           "\0\xFF\x81["s + Repeat("\x01\xFE\r", 40000) + head + "InfoTip=past 64 KB\r\n");
    std::wstring deep = root;
    for (int level = 0; level < 3; ++level)
        Folder(deep += L"\\" + std::wstring(100, L'd'), 0);
    Folder(deep += L"\\深い", FILE_ATTRIBUTE_SYSTEM, head + "InfoTip=MAX_PATH の先\r\n");
    // Held open without sharing, the folder cannot be listed; its mark
    // beneath stays unseen, the scan goes on.
    Folder(root + L"\\locked", 0);
    Folder(root + L"\\locked\\inner", FILE_ATTRIBUTE_SYSTEM, head + "InfoTip=unseen\r\n");
    ScopedFile locked(CreateFileW((root + L"\\locked").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_TRUE(locked.IsValid());
    // A loop back to the root and a second way into s1.
    ASSERT_TRUE(LinkFolder(root + L"\\loop", L"."));
    ASSERT_TRUE(LinkFolder(root + L"\\again", L"s1"));

    std::vector<std::string> before, after;
    Snapshot(root, before);
    const CString out = install.Dir() + "\\out.txt";
    ASSERT_TRUE(WriteBytes(out, Repeat("an older, longer export\r\n", 400)));
    Ran ran = RunExport(install, L"/list \"" + root + L"\" /export out.txt");
    EXPECT_EQ(0u, ran.code);
    EXPECT_EQ("", ran.errors);

    const std::string r = Utf8(root), t = "\t2024-07-01 12:34:56\r\n";
    const std::string expected =
        u8"\uFEFF状態\tフォルダ\t説明\t更新日時\r\n" + u8"標準\t"s + r + u8"\t根" + t + u8"標準\t" +
        r + "\\" + Repeat(std::string(100, 'd').append("\\").c_str(), 3) + u8"深い\tMAX_PATH の先" +
        t + u8"その他\t" + r + "\\other\t" + t + u8"必須\t" + r + "\\s1\t" + t + u8"重要\t" + r +
        "\\s2\t" + t + u8"進行中\t" + r + "\\s3\t" + t + u8"未処理\t" + r + "\\s4\t" + t +
        u8"個人用\t" + r + "\\s5\t" + t + u8"計画1\t" + r + "\\s6\t" + t + u8"計画2\t" + r +
        "\\s7\t" + t + u8"標準\t" + r + u8"\\鷗外😀\t鷗 😀" + t;
    EXPECT_EQ(expected, ReadBytes(out));
    Snapshot(root, after);
    EXPECT_EQ(before, after);
    EXPECT_EQ(settings, ReadBytes(install.Ini()));

    // 2 for a folder that is missing or a file, 3 for a file that cannot be
    // written; one line says why, and the export there stays as it was.
    ASSERT_TRUE(SetFileAttributesW(WideText(out), FILE_ATTRIBUTE_READONLY));
    const std::tuple<int, std::wstring, DWORD, std::string> rows[] = {
        {__LINE__, L"/LIST \"" + root + L"\\鷗\" /EXPORT out.txt", 2, r + u8"\\鷗"},
        {__LINE__, L"/list \"" + root + L"\\s1\\desktop.ini\" /export out.txt", 2, "desktop.ini"},
        {__LINE__, L"/list \"" + root + L"\" /export no\\such\\out.txt", 3, "out.txt"},
        {__LINE__, L"/list \"" + root + L"\" /export out.txt", 3, "out.txt"},
        {__LINE__, L"/list \"" + root + L"\" /export", 3, "/export"},
    };
    for (const auto& [line, arguments, code, named] : rows) {
        Ran ran = RunExport(install, arguments);
        EXPECT_EQ(code, ran.code) << "line " << line;
        EXPECT_NE(std::string::npos, ran.errors.find(named)) << "line " << line;
        EXPECT_EQ(ran.errors.size() - 2, ran.errors.find("\r\n")) << "line " << line;
    }
    EXPECT_EQ(expected, ReadBytes(out));

    // A settings file another program holds: the export goes on with the
    // defaults and says so in its line; a box would hold a scheduled task
    // until someone answered it.
    ScopedFile held(
        CreateFileA(install.Ini(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.IsValid());
    ran = RunExport(install, L"/list \"" + root + L"\" /export held.txt");
    EXPECT_EQ(0u, ran.code);
    EXPECT_NE(std::string::npos, ran.errors.find("vrkcfg.ini")) << ran.errors;
    held.Reset();
    std::vector<std::string> left;
    Snapshot(Wide(install.Dir()), left);
    for (const std::string& entry : left)
        EXPECT_EQ(std::string::npos, entry.find(".tmp")) << entry;
}

// The commands' words as the rules read them, before any folder is touched:
// each case a row {line, input, expected}, walked by one loop.
#include "app/CommandRules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {
std::string Utf8(const wchar_t* text) {
    return Utf8Of(text).GetString();
}

// The command as one line: its kind, then what it carries.
std::string Summary(const ScriptCommand& command) {
    const char* kinds[] = {"none", "bad ", "help", "set ", "get", "list", "import "};
    std::string text = kinds[(int)command.kind];
    if (command.kind == CommandKind::kBad)
        return text + Utf8(command.problem);
    if (command.kind == CommandKind::kSet)
        text += std::to_string(command.status);
    if (*(const wchar_t*)command.iconFile)
        text += " icon=" + Utf8(command.iconFile) + "," + std::to_string(command.iconIndex);
    if (command.describe)
        text += " desc=" + Utf8(command.description);
    if (command.kind == CommandKind::kImport)
        text += Utf8(command.file) + " " + Utf8(command.from) + ">" + Utf8(command.to);
    for (int i = 0; i < command.folders.Count(); ++i)
        text += "|" + Utf8(command.folders[i]);
    return text;
}
} // namespace

TEST(CommandRules, WordsStatusesDescriptionsFolderNamesAndExportRows) {
    const std::wstring longest(255, L'a'), tooLong(256, L'a');
    const std::tuple<int, std::wstring, std::string> rows[] = {
        {__LINE__, L"v", "none"},
        {__LINE__, L"v D:\\a \"E:\\b c\"", "none"},
        {__LINE__, L"v /HELP x", "help"},
        {__LINE__, L"v /?", "help"},
        {__LINE__, L"v /List D:\\a", "list"},
        {__LINE__, L"v /sets 1 a", u8"bad このコマンドはありません: /sets"},
        {__LINE__, L"v /set 重要 a b", "set 2|a|b"},
        {__LINE__, L"v /Set 7 a", "set 7|a"},
        {__LINE__, L"v /set 標準 a /desc \"\"", "set 0 desc=|a"},
        {__LINE__, L"v /set 計画2 /DESC:x y a", "set 7 desc=x|y|a"},
        {__LINE__, L"v /set 1 a /desc: b", "set 1 desc=|a|b"},
        {__LINE__, L"v /set 1 a /desc \"" + longest + L"\"",
         "set 1 desc=" + Utf8(longest.c_str()) + "|a"},
        {__LINE__, L"v /set 1 a /desc あ" + std::wstring(126, L'い'),
         u8"set 1 desc=あ" + Utf8(std::wstring(126, L'い').c_str()) + "|a"},
        {__LINE__, L"v /set 1 a /desc " + tooLong, u8"bad 説明は 255 文字以内で入力してください。"},
        {__LINE__, L"v /set 1 a /desc \"1\n2\"", u8"bad 説明は 1 行で入力してください"},
        {__LINE__, L"v /set 1 a /desc", u8"bad /desc の後に説明がありません"},
        {__LINE__, L"v /set 1 a /desc x /desc y", u8"bad /desc が二つあります"},
        {__LINE__, L"v /set 1 /desc x", u8"bad フォルダの名前がありません"},
        {__LINE__, L"v /set", u8"bad /set の後に状態がありません"},
        {__LINE__, L"v /set 0 a", u8"bad この状態はありません: 0"},
        {__LINE__, L"v /set 8 a", u8"bad この状態はありません: 8"},
        {__LINE__, L"v /set 1 a /x", u8"bad このスイッチは使えません: /x"},
        {__LINE__, L"v /set その他 \"C:\\i,j.dll,-3\" a", u8"set 8 icon=C:\\i,j.dll,-3|a"},
        {__LINE__, L"v /set その他 i,j.ico a", u8"set 8 icon=i,j.ico,0|a"},
        {__LINE__, L"v /set その他 i.ico,12, a", u8"set 8 icon=i.ico,12,,0|a"},
        {__LINE__, L"v /set その他 ,3 a", u8"bad その他 の後にアイコンファイルの名前がありません"},
        {__LINE__, L"v /get a b", "get|a|b"},
        {__LINE__, L"v /get", u8"bad フォルダの名前がありません"},
        {__LINE__, L"v /get a /desc x", u8"bad このスイッチは使えません: /desc"},
        {__LINE__, L"v /import f", "import f >"},
        {__LINE__, L"v /import f /TO D:\\ /from C:\\old", "import f C:\\old>D:\\"},
        {__LINE__, L"v /import f /from C:\\old", u8"bad /from と /to は二つ一緒に指定してください"},
        {__LINE__, L"v /import f /from", u8"bad /from の後にフォルダの名前がありません"},
        {__LINE__, L"v /import /from a /to b",
         u8"bad /import の後に読み込むファイルの名前がありません"},
    };
    for (const auto& [line, commandLine, expected] : rows) {
        ScriptCommand command;
        ReadScriptCommand(commandLine.c_str(), command);
        EXPECT_EQ(expected, Summary(command)) << "line " << line;
    }

    // Names taken (null) or refused, as typed and made full.
    const std::tuple<int, const wchar_t*, bool> names[] = {
        {__LINE__, L"C:\\a\\b", false},       {__LINE__, L"\\\\server\\share\\a", false},
        {__LINE__, L"a\\conx.txt", false},    {__LINE__, L"D:", false},
        {__LINE__, L"C:\\a\\NUL", true},      {__LINE__, L"con", true},
        {__LINE__, L"C:\\COM1.txt\\b", true}, {__LINE__, L"lpt9 ", true},
        {__LINE__, L"\\\\?\\C:\\a", true},    {__LINE__, L"//./C:/a", true},
        {__LINE__, L"C:\\a:stream", true},    {__LINE__, L"a:b\\c", false}, // the drive's colon
    };
    for (auto [line, name, refused] : names)
        EXPECT_EQ(refused, RefusedFolderName(name) != nullptr) << "line " << line;

    // /from /to: whole folders only, without regard to case.
    const std::tuple<int, const wchar_t*, const wchar_t*, const wchar_t*, const char*> moves[] = {
        {__LINE__, L"C:\\Users\\Ann\\x", L"c:\\users\\ann", L"D:\\b", "D:\\b\\x"},
        {__LINE__, L"C:\\Users\\Ann", L"C:\\Users\\Ann\\", L"D:\\b", "D:\\b"},
        {__LINE__, L"C:\\Users\\Anna\\x", L"C:\\Users\\Ann", L"D:\\b", "C:\\Users\\Anna\\x"},
        {__LINE__, L"C:\\x", L"C:\\", L"D:\\", "D:\\x"},
    };
    for (auto [line, folder, from, to, moved] : moves)
        EXPECT_EQ(moved, Utf8(MovedFolder(folder, from, to))) << "line " << line;

    // Export files: the rows read, or the problem.
    const std::string header = u8"状態\tフォルダ\t説明\t更新日時";
    const std::tuple<int, std::string, std::string> files[] = {
        {__LINE__, "\xEF\xBB\xBF" + header + u8"\r\n重要\tC:\\a\t説明\t\r\n\r\n", "1"},
        {__LINE__, header + u8"\n標準\tC:\\a\t\tt\n\nその他\tC:\\b\tx\tt", "2"},
        {__LINE__, header, "0"},
        {__LINE__, u8"状態\tフォルダ\t説明\r\n", u8"1 行目が一覧の書き出しの見出しではありません"},
        {__LINE__, header + u8"\r\n重要\tC:\\a\t\t\t\r\n", u8"2 行目: 欄が四つではありません"},
        {__LINE__, header + u8"\r\n2\tC:\\a\t\t\r\n", u8"2 行目: この状態はありません"},
        {__LINE__, header + u8"\r\n重要\t\t\t\r\n", u8"2 行目: フォルダの名前がありません"},
        {__LINE__, header + u8"\r\n重要\ta\t" + std::string(256, 'a') + "\t\r\n",
         u8"2 行目: 説明は 255 文字以内で入力してください。"},
        {__LINE__, header + "\r\n\xFF\r\n", u8"UTF-8 で書かれていません"},
    };
    for (const auto& [line, bytes, expected] : files) {
        ExportRows read;
        WideText problem;
        bool ok = read.Read(bytes.data(), (int)bytes.size(), problem);
        EXPECT_EQ(expected, ok ? std::to_string(read.Count()) : Utf8(problem)) << "line " << line;
    }
}

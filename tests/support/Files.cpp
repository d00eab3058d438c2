#include "Files.h"

#include "base/Settings.h"
#include "base/TextRules.h"
#include "base/WideText.h"
#include "framework/App.h"

#include <stdio.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir(const char* tag) {
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000 && m_path.IsEmpty(); ++attempt) {
        char name[MAX_PATH];
        snprintf(name, sizeof(name), "%s%s-%lu-%ld", base, tag, GetCurrentProcessId(),
                 InterlockedIncrement(&counter));
        if (CreateDirectoryA(name, nullptr))
            m_path = name;
    }
}

TempDir::~TempDir() {
    if (!m_path.IsEmpty())
        RemoveTree(m_path);
}

void RemoveTree(const char* path) {
    const std::filesystem::path root((const wchar_t*)WideText(path));
    std::error_code error; // what is already gone is no failure
    SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (std::filesystem::recursive_directory_iterator at(root, error), end; !error && at != end;
         at.increment(error))
        SetFileAttributesW(at->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(root, error);
}

std::string ReadBytes(const char* path) {
    std::ifstream file(std::filesystem::path((const wchar_t*)WideText(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool WriteBytes(const char* path, const std::string& bytes) {
    std::ofstream file(std::filesystem::path((const wchar_t*)WideText(path)), std::ios::binary);
    return file.write(bytes.data(), bytes.size()) && file.flush();
}

DWORD Attributes(const char* path) {
    return GetFileAttributesW(WideText(path));
}

std::string Repeat(const char* piece, int count) {
    std::string text;
    while (count-- > 0)
        text += piece;
    return text;
}

std::vector<std::string> IniLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::string Utf8(const wchar_t* text) {
    std::string bytes(4 * wcslen(text) + 1, '\0');
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &bytes[0], (int)bytes.size(), nullptr, nullptr);
    bytes.resize(size > 0 ? size - 1 : 0);
    return bytes;
}

bool SetLocalWriteTime(const wchar_t* path, const SYSTEMTIME& local) {
    HANDLE file = CreateFileW(path, FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    SYSTEMTIME utc;
    FILETIME time;
    bool set = TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) &&
               SystemTimeToFileTime(&utc, &time) && SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return set;
}

std::string DefaultSettings(const std::string& icons, const char* prefix) {
    std::string text = "[FolderPath]\r\nICON_FOLDER=" + icons + "\r\n[IconPath]\r\n";
    for (int slot = 0; slot < IconSlot::Count; ++slot) {
        text += std::string(IconSlot::PathKey(slot)) + "=" + icons + prefix + std::to_string(slot) +
                ".ico\r\n";
        text += std::string(IconSlot::IndexKey(slot)) + "=0\r\n";
    }
    return text + "[Property]\r\nHELP=0\r\nICON_COPY=0\r\nTIP_DELETE=0\r\nTOUMEIDO=50\r\n";
}

CString BesideTests(const char* name) {
    CString path = AfxGetModulePath();
    return path.Left(FindLastBackslash(path) + 1) + name;
}

namespace {
// Every test process, and the programs it starts, keeps its undo journal and
// the overview's kept rows in a folder of its own, never the user's.
struct OwnJournal {
    OwnJournal() {
        wchar_t given[8] = L"";
        // The benchmark's runs without a journal keep that.
        if (GetEnvironmentVariableW(L"VORELKIN_DATA", given, 8) != 3 || wcscmp(given, L"off"))
            SetEnvironmentVariableW(L"VORELKIN_DATA", WideText(dir.Path() + "\\journal"));
    }
    TempDir dir{"vrk-journal"};
} s_ownJournal;
} // namespace

CString JournalFile() {
    return s_ownJournal.dir.Path() + "\\journal\\undo.vrkj";
}

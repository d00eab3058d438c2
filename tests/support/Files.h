// Real files and folders for tests, removed again afterwards.
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <string>
#include <vector>

// A new empty folder under the temp folder; removed with everything in it.
class TempDir {
  public:
    explicit TempDir(const char* tag = "vrk");
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const CString& Path() const { return m_path; }
    CString operator/(const char* name) const { return m_path + "\\" + name; }

  private:
    CString m_path;
};

// Deletes a file or a folder tree, clearing attributes that would refuse it.
void RemoveTree(const char* path);

// Through the wide calls, so paths past MAX_PATH work too.
std::string ReadBytes(const char* path);
bool WriteBytes(const char* path, const std::string& bytes);
DWORD Attributes(const char* path);
// Sets the file's last write time to a time of this process's zone, as the
// user's clock showed it.
bool SetLocalWriteTime(const wchar_t* path, const SYSTEMTIME& local);
inline bool FileExists(const char* path) {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

// The text in UTF-8.
std::string Utf8(const wchar_t* text);
inline std::string Utf8(const std::wstring& text) {
    return Utf8(text.c_str());
}
// The piece count times over, as one text.
std::string Repeat(const char* piece, int count);
// The non-blank lines of an INI file's bytes, without line ends.
std::vector<std::string> IniLines(const std::string& bytes);
// The settings file a first run writes: every key, in order, with its
// default, the icons named after the prefix ("\\fld0" or "\\FldXP0").
std::string DefaultSettings(const std::string& icons, const char* prefix);
// The full path of a file beside the test executable.
CString BesideTests(const char* name);

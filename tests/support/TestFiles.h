// Real files and folders for tests, removed again afterwards.
#pragma once

#include "framework/String.h"

#include <windows.h>

#include <string>

// A new empty folder under the temp folder; removed with everything in it.
class TempDir {
  public:
    explicit TempDir(const char* tag = "vrk");
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const CString& Path() const { return m_path; }
    // Path + "\" + name
    CString operator/(const char* name) const { return m_path + "\\" + name; }

  private:
    CString m_path;
};

// Deletes a file or a folder tree, clearing attributes that would refuse it.
void RemoveTree(const char* path);

std::string ReadBytes(const char* path);
bool WriteBytes(const char* path, const std::string& bytes);
bool FileExists(const char* path);
DWORD Attributes(const char* path);

// A u8"" literal as CP932 bytes (plain literals already are CP932).
std::string Sjis(const char* utf8);
// The piece count times over, as one text.
std::string Repeat(const char* piece, int count);

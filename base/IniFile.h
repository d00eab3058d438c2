// INI files read once, changed in memory and written back whole, and the
// lock that launches started together share.
#pragma once

#include "WideText.h"

#include "../framework/Scoped.h"
#include "../framework/String.h"

// Launches started together share the settings file and may mark the same
// folder: each read and each read-modify-write holds a lock named after the
// file, so no launch sees a half-written file or writes back one that misses
// another's key. The lock is the thread's own: it may be taken again inside.
class IniFileLock {
  public:
    // No path, no lock.
    explicit IniFileLock(const char* path);
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    ~IniFileLock();

    // False when another holder kept it past the time limit.
    bool Owned() const { return m_owned; }
    // Lets go before the end of the scope.
    void Release();

  private:
    ScopedKernelHandle m_mutex;
    bool m_owned = false;
};

// The file's text: CP932 bytes, UTF-8 (after its byte-order mark, or valid
// UTF-8 that is not valid CP932), or UTF-16 (little-endian) after its mark,
// edited as UTF-8. CP932 and UTF-16 are written back in their own encoding,
// UTF-8 as UTF-16, which the profile service reads. Other files
// (big-endian, or UTF-16 that does not convert back unchanged) are left to
// the profile service, one key at a time.
enum class IniEncoding { Cp932, Utf8, Utf16, Other };

// One file's INI text: read once, every change made in memory, written back
// whole once. The caller holds the file's lock around it.
class IniDocument {
  public:
    // A missing file reads as empty; false, with the read's error, when the
    // file is there but cannot be read.
    bool Load(const CString& path);
    // Bytes read elsewhere (a copy the undo journal kept), never a file's:
    // Save writes nothing.
    void LoadBytes(const CString& bytes);
    bool Loaded() const { return m_loaded; }
    // The bytes as read, and the bytes Save writes.
    const CString& LoadedBytes() const { return m_loadedBytes; }
    CString Bytes() const;
    IniEncoding Encoding() const { return m_encoding; }

    // TRUE and the value (never cut) only for a non-empty value.
    bool Get(const char* section, const char* key, CString& cp932) const;
    WideText GetWide(const char* section, const char* key) const;
    // Whether the key is there, empty or not, and its value; false for a
    // file the profile service edits, whose empty keys it cannot tell.
    bool Find(const char* section, const char* key, WideText& value) const;
    // Nothing but section lines and blank lines.
    bool OnlyEmptySections() const;
    // A key set where it stands, or added at its section's end.
    bool Set(const char* section, const char* key, const char* cp932);
    // A value CP932 cannot spell turns a CP932 file into UTF-16, as Windows
    // writes such a file; false when its text would not convert unchanged.
    bool SetWide(const char* section, const char* key, const wchar_t* value);
    // Every line of the key in its section goes.
    bool Remove(const char* section, const char* key);
    // The changed text replaces the file whole; nothing changed, nothing
    // written. A read-only file is refused unless overReadOnly, and then
    // stays read-only.
    bool Save(bool overReadOnly = false);
    // After a failed Save: the temporary file that holds the only copy of
    // the new text, the old file having left its name; else empty.
    const WideText& Stranded() const { return m_stranded; }

  private:
    CString m_path;
    bool m_loaded = false;
    IniEncoding m_encoding = IniEncoding::Cp932;
    CString m_text; // CP932, or UTF-8 for a Unicode file
    CString m_loadedBytes;
    // As read or last saved: nothing changed, nothing written.
    CString m_savedText;
    IniEncoding m_savedEncoding = IniEncoding::Cp932;
    WideText m_stranded;
};

// While one lives, GetStringINI and SetStringINI on its file work on one
// reading of it, under one hold of its lock: start-up reads its 21 keys with
// one open instead of 21, and no other launch writes in between. The changes
// are written whole when the session ends, all of them or none: none when
// the lock could not be had.
class IniFileSession {
  public:
    explicit IniFileSession(const CString& path);
    IniFileSession(const IniFileSession&) = delete;
    IniFileSession& operator=(const IniFileSession&) = delete;
    ~IniFileSession();

    // The session holding this file, if any.
    static IniFileSession* For(const char* path);

    // The file is there but could not be read (held open without sharing):
    // its keys read as missing and nothing is written.
    bool Unreadable() const;
    // False when the lock's wait timed out: the file is read, but every
    // write is refused.
    bool Writable() const { return m_lock.Owned(); }
    void Reread();
    IniDocument& Document() { return m_document; }

  private:
    static IniFileSession* s_current;
    IniFileSession* m_outer = nullptr;
    CString m_path;
    IniFileLock m_lock;
    IniDocument m_document;
    DWORD m_readError = NO_ERROR;
};

// The settings file held for a run of keys, and the lock that launches
// started together share.
#pragma once

#include "../framework/Scoped.h"
#include "../framework/String.h"

// Launches started together share the settings file: each read and each
// read-modify-write holds a lock named after the file, so no launch sees a
// half-written file or writes back one that misses another's key.
class IniFileLock {
  public:
    // No path, no lock.
    explicit IniFileLock(const char* path);
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;
    ~IniFileLock();

  private:
    ScopedKernelHandle m_mutex;
    bool m_owned = false;
};

// While one lives, GetStringINI and SetStringINI on its file work from one
// reading of it, under one hold of its lock: start-up reads its 21 keys with
// one open instead of 21, no other launch writes in between, and a key whose
// value stays the same costs no write. A changed key is written through at
// once, as without a session.
class IniFileSession {
  public:
    explicit IniFileSession(const CString& path);
    IniFileSession(const IniFileSession&) = delete;
    IniFileSession& operator=(const IniFileSession&) = delete;
    ~IniFileSession();

    // The session holding this file, if any.
    static IniFileSession* For(const char* path);

    // The file as the session last read or wrote it; false, with the read's
    // error, when it could not be read.
    bool Bytes(CString& bytes) const;
    // A write that went through the session's bytes.
    void Wrote(const CString& bytes);
    // After a write that did not.
    void Reread();

  private:
    static IniFileSession* s_current;
    IniFileSession* m_outer = nullptr;
    CString m_path;
    IniFileLock m_lock;
    bool m_read = false;
    DWORD m_readError = NO_ERROR;
    CString m_bytes;
};

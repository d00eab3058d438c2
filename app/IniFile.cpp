// The settings file's keys read and written one at a time. The file is
// read whole and edited in place, so every byte that is not the key's stays;
// files in a Unicode encoding are edited in their own.
#include "IniFile.h"
#include "Settings.h"

#include "IniText.h"
#include "../framework/Scoped.h"
#include "WideText.h"

#include <string.h>

namespace {
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Long enough for any other launch to finish its one key; a holder that
// never lets go must not freeze us.
const DWORD kLockWaitMs = 5000;

// The file's text as the profile service reads it: CP932 bytes, UTF-8 after
// its byte-order mark, or UTF-16 (little-endian) after its mark, edited as
// UTF-8 and written back in its own encoding.
enum class Encoding { Cp932, Utf8, Utf16, Other };

struct IniFileText {
    Encoding encoding = Encoding::Cp932;
    CString text;
};

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16Mark[] = "\xFF\xFE";

CString Convert(const char* text, int length, UINT from, UINT to) {
    if (length <= 0)
        return CString();
    int wideLength = MultiByteToWideChar(from, 0, text, length, nullptr, 0);
    if (wideLength <= 0)
        return CString();
    CString wide;
    wchar_t* wideText = (wchar_t*)wide.GetBuffer(wideLength * 2);
    MultiByteToWideChar(from, 0, text, length, wideText, wideLength);
    CString result;
    int resultLength =
        WideCharToMultiByte(to, 0, wideText, wideLength, nullptr, 0, nullptr, nullptr);
    WideCharToMultiByte(to, 0, wideText, wideLength, result.GetBuffer(resultLength), resultLength,
                        nullptr, nullptr);
    result.ReleaseBuffer(resultLength);
    return result;
}

CString Utf16ToUtf8(const char* bytes, int length) {
    const wchar_t* wide = (const wchar_t*)bytes;
    int count = length / 2;
    CString result;
    int resultLength = WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, wide, count, result.GetBuffer(resultLength), resultLength,
                        nullptr, nullptr);
    result.ReleaseBuffer(resultLength);
    return result;
}

CString Utf8ToUtf16(const CString& text) {
    CString result;
    int count = MultiByteToWideChar(CP_UTF8, 0, text, text.GetLength(), nullptr, 0);
    MultiByteToWideChar(CP_UTF8, 0, text, text.GetLength(), (wchar_t*)result.GetBuffer(count * 2),
                        count);
    result.ReleaseBuffer(count * 2);
    return result;
}

bool StartsWith(const CString& bytes, const char* mark, int length) {
    return bytes.GetLength() >= length && memcmp(bytes.GetString(), mark, (size_t)length) == 0;
}

IniFileText Decode(const CString& bytes) {
    IniFileText file;
    if (StartsWith(bytes, kUtf8Mark, 3)) {
        file.encoding = Encoding::Utf8;
        file.text = bytes.Mid(3);
    } else if (StartsWith(bytes, kUtf16Mark, 2)) {
        file.encoding = Encoding::Utf16;
        file.text = Utf16ToUtf8(bytes.GetString() + 2, bytes.GetLength() - 2);
        // Only text that comes back unchanged is edited; anything else
        // (an odd byte, a lone surrogate) is left to the profile service.
        if (kUtf16Mark + Utf8ToUtf16(file.text) != bytes)
            file.encoding = Encoding::Other;
    } else if (StartsWith(bytes, "\xFE\xFF", 2)) {
        file.encoding = Encoding::Other; // big-endian UTF-16
    } else {
        file.text = bytes;
    }
    return file;
}

CString Encode(const IniFileText& file) {
    if (file.encoding == Encoding::Utf8)
        return kUtf8Mark + file.text;
    if (file.encoding == Encoding::Utf16)
        return kUtf16Mark + Utf8ToUtf16(file.text);
    return file.text;
}

IniBytes KindOf(const IniFileText& file) {
    return file.encoding == Encoding::Cp932 ? IniBytes::Cp932 : IniBytes::Utf8;
}

// Our texts are CP932; a Unicode file holds them as UTF-8 while edited.
CString ToFile(const IniFileText& file, const CString& text) {
    return file.encoding == Encoding::Cp932 ? text
                                            : Convert(text, text.GetLength(), CP_ACP, CP_UTF8);
}
CString FromFile(const IniFileText& file, const CString& text) {
    return file.encoding == Encoding::Cp932 ? text
                                            : Convert(text, text.GetLength(), CP_UTF8, CP_ACP);
}

bool ReadAll(HANDLE file, CString& bytes) {
    DWORD high = 0;
    DWORD size = GetFileSize(file, &high);
    if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    if (high || size > 0x7FFFFFF0u) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    char* buffer = bytes.GetBuffer((int)size);
    DWORD total = 0;
    while (total < size) {
        DWORD read = 0;
        if (!ReadFile(file, buffer + total, size - total, &read, nullptr)) {
            bytes.ReleaseBuffer(0);
            return false;
        }
        if (read == 0)
            break;
        total += read;
    }
    bytes.ReleaseBuffer((int)total);
    return true;
}

bool WriteWhole(HANDLE file, const CString& bytes) {
    DWORD written = 0;
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !WriteFile(file, bytes, (DWORD)bytes.GetLength(), &written, nullptr))
        return false;
    if (written != (DWORD)bytes.GetLength()) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return SetEndOfFile(file) != FALSE;
}
} // namespace

IniFileLock::IniFileLock(const char* path) {
    if (!path)
        return;
    char full[MAX_PATH * 4];
    DWORD length = GetFullPathNameA(path, sizeof(full), full, nullptr);
    if (length == 0 || length >= sizeof(full))
        return;
    CharUpperBuffA(full, length);
    unsigned hash = 2166136261u;
    for (DWORD i = 0; i < length; ++i)
        hash = (hash ^ (unsigned char)full[i]) * 16777619u;
    char name[64];
    wsprintfA(name, "Local\\Vorelkin.ini.%08x", hash);
    m_mutex.Reset(CreateMutexA(nullptr, FALSE, name));
    if (m_mutex.IsValid()) {
        DWORD waited = WaitForSingleObject(m_mutex, kLockWaitMs);
        m_owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

IniFileLock::~IniFileLock() {
    DWORD error = GetLastError(); // callers report the failure's code
    if (m_owned)
        ReleaseMutex(m_mutex);
    m_mutex.Reset();
    SetLastError(error);
}

IniFileSession* IniFileSession::s_current = nullptr;

IniFileSession::IniFileSession(const CString& path) : m_path(path), m_lock(path) {
    Reread();
    m_outer = s_current;
    s_current = this;
}

void IniFileSession::Reread() {
    ScopedFile handle(
        CreateFileW(WideText(m_path), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    m_bytes.Empty();
    m_read = handle.IsValid() && ReadAll(handle, m_bytes);
    m_readError = m_read ? NO_ERROR : GetLastError();
}

IniFileSession::~IniFileSession() {
    s_current = m_outer;
}

IniFileSession* IniFileSession::For(const char* path) {
    return s_current && lstrcmpiA(s_current->m_path, path) == 0 ? s_current : nullptr;
}

bool IniFileSession::Bytes(CString& bytes) const {
    if (!m_read) {
        SetLastError(m_readError);
        return false;
    }
    bytes = m_bytes;
    return true;
}

void IniFileSession::Wrote(const CString& bytes) {
    m_bytes = bytes;
    m_read = true;
}

namespace {
// The file's bytes: the session's reading, or a fresh one under the lock.
bool ReadIniFile(const CString& file, CString& bytes) {
    if (IniFileSession* session = IniFileSession::For(file))
        return session->Bytes(bytes);
    IniFileLock lock(file);
    ScopedFile handle(
        CreateFileW(WideText(file), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return handle.IsValid() && ReadAll(handle, bytes);
}
} // namespace

BOOL GetStringINI(CString file, CString section, CString key, CString& text) {
    CString bytes;
    if (!ReadIniFile(file, bytes))
        return FALSE;
    IniFileText ini = Decode(bytes);
    CString value;
    if (ini.encoding == Encoding::Other) {
        // The profile API cuts a value to the buffer and then returns
        // size - 1, so a full buffer is read again with more room.
        for (DWORD size = 256;; size *= 2) {
            char* buffer = value.GetBuffer((int)size);
            DWORD length = GetPrivateProfileStringA(section, key, "", buffer, size, file);
            if (length + 1 < size || size >= (1u << 30)) {
                value.ReleaseBuffer((int)length);
                break;
            }
        }
    } else if (FindIniValue(ini.text, KindOf(ini), ToFile(ini, section), ToFile(ini, key), value)) {
        value = FromFile(ini, value);
    }
    if (value.IsEmpty())
        return FALSE;
    text = value;
    return TRUE;
}

BOOL SetStringINI(CString file, CString section, CString key, CString value) {
    IniFileSession* session = IniFileSession::For(file);
    IniFileLock lock(session ? nullptr : (const char*)file); // a session holds it already
    // Opened in place: the file keeps its attributes, its other bytes and
    // its identity; a missing file is created. Within a session the file is
    // opened only when a key really changes.
    ScopedFile handle;
    CString bytes;
    if (!session || !session->Bytes(bytes)) {
        handle.Reset(CreateFileW(WideText(file), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!handle.IsValid() || !ReadAll(handle, bytes))
            return FALSE;
    }
    IniFileText ini = Decode(bytes);
    if (ini.encoding == Encoding::Other) {
        handle.Reset();
        BOOL written = WritePrivateProfileStringA(section, key, value, file);
        if (session)
            session->Reread();
        return written;
    }
    ini.text = SetIniValue(ini.text, KindOf(ini), ToFile(ini, section), ToFile(ini, key),
                           ToFile(ini, value));
    CString changed = Encode(ini);
    if (changed == bytes)
        return TRUE;
    if (!handle.IsValid())
        handle.Reset(CreateFileW(WideText(file), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid() || !WriteWhole(handle, changed))
        return FALSE;
    if (session)
        session->Wrote(changed);
    return TRUE;
}

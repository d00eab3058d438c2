// INI files read whole and edited in place, so every byte that is not a
// key's stays; files in a Unicode encoding are edited in their own.
#include "IniFile.h"
#include "Settings.h"

#include "IniText.h"
#include "WholeFile.h"

#include <stdlib.h>
#include <string.h>

namespace {
// Long enough for any other launch to finish its write; a holder that never
// lets go must not freeze us.
const DWORD kLockWaitMs = 5000;

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

void Decode(const CString& bytes, IniEncoding& encoding, CString& text) {
    encoding = IniEncoding::Cp932;
    text = bytes;
    const bool utf8Mark = StartsWith(bytes, kUtf8Mark, 3);
    if (utf8Mark || IsUtf8NotCp932(bytes, bytes.GetLength())) {
        // Decoded and encoded again: a sequence UTF-8 does not allow is one
        // U+FFFD from here on.
        encoding = IniEncoding::Utf8;
        const int mark = utf8Mark ? 3 : 0;
        text = Convert(bytes.GetString() + mark, bytes.GetLength() - mark, CP_UTF8, CP_UTF8);
    } else if (StartsWith(bytes, kUtf16Mark, 2)) {
        encoding = IniEncoding::Utf16;
        text = Utf8Of((const wchar_t*)(bytes.GetString() + 2), (bytes.GetLength() - 2) / 2);
        // Only text that comes back unchanged is edited; anything else
        // (an odd byte, a lone surrogate) is left to the profile service.
        if (kUtf16Mark + Utf8ToUtf16(text) != bytes)
            encoding = IniEncoding::Other;
    } else if (StartsWith(bytes, "\xFE\xFF", 2)) {
        encoding = IniEncoding::Other; // big-endian UTF-16
    }
}

// The profile reader takes a file for Unicode only when it starts with
// FF FE, and reads any other in the ANSI code page, a UTF-8 mark and all
// (GetPrivateProfileString): a UTF-8 file is written as UTF-16, which holds
// every character, as Windows' own profile writer does with Unicode.
CString Encode(IniEncoding encoding, const CString& text) {
    if (encoding == IniEncoding::Utf8 || encoding == IniEncoding::Utf16)
        return kUtf16Mark + Utf8ToUtf16(text);
    return text;
}

IniBytes KindOf(IniEncoding encoding) {
    return encoding == IniEncoding::Cp932 ? IniBytes::Cp932 : IniBytes::Utf8;
}

// Messages sent to this thread are answered meanwhile, as during
// SendMessage, and the queue is looked at every slice: a thread that has not
// looked for 5 s counts as hung, and the system ghosts its windows.
bool WaitAnswering(HANDLE object, DWORD limitMs) {
    const DWORD kSliceMs = 1000;
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD waited = GetTickCount() - start;
        const DWORD left = waited < limitMs ? limitMs - waited : 0;
        const DWORD result = MsgWaitForMultipleObjectsEx(
            1, &object, left < kSliceMs ? left : kSliceMs, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0)
            return true;
        if (result == WAIT_FAILED || (result == WAIT_TIMEOUT && left <= kSliceMs))
            return false; // the limit, or a failed wait
    }
}

// A write without the lock could undo another launch's: none at all.
BOOL LockTimedOut() {
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
} // namespace

IniFileLock::IniFileLock(const char* path) {
    if (!path) {
        m_owned = true;
        return;
    }
    // Wide: the -A call refuses a path of MAX_PATH bytes or more.
    wchar_t full[0x8000];
    DWORD length = GetFullPathNameW(WideText(path), 0x8000, full, nullptr);
    if (length == 0 || length >= 0x8000)
        return;
    CharUpperBuffW(full, length);
    unsigned hash = 2166136261u;
    for (DWORD i = 0; i < length; ++i)
        hash = (hash ^ (unsigned)full[i]) * 16777619u;
    char name[64];
    wsprintfA(name, "Local\\Vorelkin.ini.%08x", hash);
    m_mutex.Reset(CreateMutexA(nullptr, FALSE, name));
    m_owned = m_mutex.IsValid() && WaitAnswering(m_mutex, kLockWaitMs);
}

IniFileLock::~IniFileLock() {
    Release();
}

void IniFileLock::Release() {
    DWORD error = GetLastError(); // callers report the failure's code
    if (m_owned && m_mutex.IsValid())
        ReleaseMutex(m_mutex);
    m_owned = false;
    m_mutex.Reset();
    SetLastError(error);
}

bool IniDocument::Load(const CString& path) {
    m_path = path;
    CString bytes;
    m_text.Empty();
    m_loaded = false;
    if (path.IsEmpty()) {
        SetLastError(ERROR_PATH_NOT_FOUND); // never a file of the current folder
        return false;
    }
    m_loaded = ReadWholeFile(WideText(path), bytes) || IsMissing(GetLastError());
    if (!m_loaded) {
        DWORD error = GetLastError();
        bytes.Empty();
        SetLastError(error);
    }
    Decode(bytes, m_encoding, m_text);
    m_savedText = m_text;
    m_savedEncoding = m_encoding;
    m_loadedBytes = bytes;
    return m_loaded;
}

void IniDocument::LoadBytes(const CString& bytes) {
    m_path.Empty();
    m_loaded = true;
    Decode(bytes, m_encoding, m_text);
    m_savedText = m_text;
    m_savedEncoding = m_encoding;
    m_loadedBytes = bytes;
}

CString IniDocument::Bytes() const {
    return Encode(m_encoding, m_text);
}

bool IniDocument::Find(const char* section, const char* key, WideText& value) const {
    CString found;
    if (!m_loaded || m_encoding == IniEncoding::Other)
        return false;
    if (m_encoding == IniEncoding::Cp932) {
        if (!FindIniValue(m_text, IniBytes::Cp932, section, key, found))
            return false;
        value = WideText(found);
        return true;
    }
    if (!FindIniValue(m_text, IniBytes::Utf8, section, key, found))
        return false;
    value = WideOfUtf8(found);
    return true;
}

bool IniDocument::OnlyEmptySections() const {
    const char* line = m_text;
    while (*line) {
        const char* end = line + strcspn(line, "\r\n");
        const char* first = line + strspn(line, " \t");
        const char* last = end;
        while (last > first && (last[-1] == ' ' || last[-1] == '\t'))
            --last;
        if (last > first && (*first != '[' || last[-1] != ']'))
            return false;
        line = end + strspn(end, "\r\n");
    }
    return true;
}

bool IniDocument::Get(const char* section, const char* key, CString& cp932) const {
    if (!m_loaded)
        return false;
    CString value;
    if (m_encoding == IniEncoding::Other) {
        // The profile API cuts a value to the buffer and then returns
        // size - 1, so a full buffer is read again with more room.
        for (DWORD size = 256;; size *= 2) {
            char* buffer = value.GetBuffer((int)size);
            DWORD length = GetPrivateProfileStringA(section, key, "", buffer, size, m_path);
            if (length + 1 < size || size >= (1u << 30)) {
                value.ReleaseBuffer((int)length);
                break;
            }
        }
    } else if (m_encoding == IniEncoding::Cp932) {
        FindIniValue(m_text, IniBytes::Cp932, section, key, value);
    } else if (FindIniValue(m_text, IniBytes::Utf8, Utf8Of(WideText(section)),
                            Utf8Of(WideText(key)), value)) {
        value = Convert(value, value.GetLength(), CP_UTF8, CP_ACP);
    }
    if (value.IsEmpty())
        return false;
    cp932 = value;
    return true;
}

WideText IniDocument::GetWide(const char* section, const char* key) const {
    if (!m_loaded)
        return WideText();
    if (m_encoding == IniEncoding::Other) {
        WideText wideSection(section), wideKey(key);
        for (DWORD size = 256;; size *= 2) {
            wchar_t* buffer = (wchar_t*)malloc(sizeof(wchar_t) * size);
            if (!buffer)
                abort();
            DWORD length =
                GetPrivateProfileStringW(wideSection, wideKey, L"", buffer, size, WideText(m_path));
            if (length + 1 < size || size >= (1u << 28)) {
                WideText value(buffer);
                free(buffer);
                return value;
            }
            free(buffer);
        }
    }
    CString value;
    if (m_encoding == IniEncoding::Cp932)
        return FindIniValue(m_text, IniBytes::Cp932, section, key, value) ? WideText(value)
                                                                          : WideText();
    if (!FindIniValue(m_text, IniBytes::Utf8, Utf8Of(WideText(section)), Utf8Of(WideText(key)),
                      value))
        return WideText();
    return WideOfUtf8(value);
}

bool IniDocument::Set(const char* section, const char* key, const char* cp932) {
    if (!m_loaded)
        return false;
    if (m_encoding == IniEncoding::Other)
        return WritePrivateProfileStringA(section, key, cp932, m_path) != FALSE;
    if (m_encoding == IniEncoding::Cp932) {
        m_text = SetIniValue(m_text, IniBytes::Cp932, section, key, cp932);
        return true;
    }
    m_text = SetIniValue(m_text, IniBytes::Utf8, Utf8Of(WideText(section)), Utf8Of(WideText(key)),
                         Utf8Of(WideText(cp932)));
    return true;
}

bool IniDocument::SetWide(const char* section, const char* key, const wchar_t* value) {
    if (!m_loaded)
        return false;
    if (m_encoding == IniEncoding::Other)
        return WritePrivateProfileStringW(WideText(section), WideText(key), value,
                                          WideText(m_path)) != FALSE;
    CString cp932;
    if (m_encoding == IniEncoding::Cp932 && SpellInCp932(value, cp932))
        return Set(section, key, cp932);
    if (m_encoding == IniEncoding::Cp932) {
        // The whole text changes its encoding: only text that converts back
        // unchanged is converted.
        CString utf8 = Convert(m_text, m_text.GetLength(), CP_ACP, CP_UTF8);
        if (Convert(utf8, utf8.GetLength(), CP_UTF8, CP_ACP) != m_text) {
            SetLastError(ERROR_NO_UNICODE_TRANSLATION);
            return false;
        }
        m_encoding = IniEncoding::Utf16;
        m_text = utf8;
    }
    m_text = SetIniValue(m_text, IniBytes::Utf8, Utf8Of(WideText(section)), Utf8Of(WideText(key)),
                         Utf8Of(value));
    return true;
}

bool IniDocument::Remove(const char* section, const char* key) {
    if (!m_loaded)
        return false;
    if (m_encoding == IniEncoding::Other)
        return WritePrivateProfileStringA(section, key, nullptr, m_path) != FALSE ||
               GetLastError() == ERROR_FILE_NOT_FOUND;
    m_text = RemoveIniKey(m_text, KindOf(m_encoding), section, key);
    return true;
}

bool IniDocument::Save(bool overReadOnly) {
    if (!m_loaded)
        return false;
    if (m_encoding == IniEncoding::Other)
        return true; // written key by key already
    m_stranded = WideText();
    if (m_text == m_savedText && m_encoding == m_savedEncoding)
        return true;
    DWORD attributes = GetFileAttributesW(ExtendedPathOf(m_path));
    if (!overReadOnly && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!WriteWholeFile(WideText(m_path), Encode(m_encoding, m_text), &m_stranded))
        return false;
    if (m_encoding == IniEncoding::Utf8)
        m_encoding = IniEncoding::Utf16;
    m_savedText = m_text;
    m_savedEncoding = m_encoding;
    return true;
}

IniFileSession* IniFileSession::s_current = nullptr;

IniFileSession::IniFileSession(const CString& path) : m_path(path), m_lock(path) {
    Reread();
    m_outer = s_current;
    s_current = this;
}

void IniFileSession::Reread() {
    m_readError = m_document.Load(m_path) ? NO_ERROR : GetLastError();
}

bool IniFileSession::Unreadable() const {
    return !m_path.IsEmpty() && !m_document.Loaded() && !IsMissing(m_readError);
}

IniFileSession::~IniFileSession() {
    s_current = m_outer;
    // Settings problems are never reported: the run goes on with its values.
    if (!m_path.IsEmpty())
        m_document.Save();
}

IniFileSession* IniFileSession::For(const char* path) {
    return s_current && lstrcmpiA(s_current->m_path, path) == 0 ? s_current : nullptr;
}

BOOL GetStringINI(CString file, CString section, CString key, CString& text) {
    if (IniFileSession* session = IniFileSession::For(file))
        return session->Document().Get(section, key, text);
    IniFileLock lock(file);
    IniDocument document;
    return document.Load(file) && document.Get(section, key, text);
}

BOOL SetStringINI(CString file, CString section, CString key, CString value) {
    if (IniFileSession* session = IniFileSession::For(file))
        return session->Writable() ? session->Document().Set(section, key, value) : LockTimedOut();
    IniFileLock lock(file);
    if (!lock.Owned())
        return LockTimedOut();
    IniDocument document;
    return document.Load(file) && document.Set(section, key, value) && document.Save();
}

#include "Journal.h"
#include "History.h"

#include "../base/TargetFolders.h"
#include "../base/UserData.h"
#include "../base/WholeFile.h"
#include "../base/TextRules.h"
#include "../framework/Scoped.h"

#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {
const char kFileMark[] = "VRKJ";
const unsigned kVersion = 1;
const char kRecordMark[] = "VRKR";
const int kHeaderBytes = 8;
const int kRecordHead = 12;
enum RecordType : unsigned char { kActionRecord = 1, kStepRecord = 2, kFirstStateRecord = 3 };

// Compaction starts past kCompactAt and keeps the newest actions up to
// kKeepBytes, at least kKeepSteps steps while under kMaxBytes.
const LONGLONG kCompactAt = 12 * 1024 * 1024;
const int kKeepBytes = 8 * 1024 * 1024;
const int kMaxBytes = 15 * 1024 * 1024;
const int kKeepSteps = 1000;
// Steps are appended in groups: a crash loses at most the group in hand.
const int kFlushBytes = 64 * 1024;
const DWORD kLockWaitMs = 5000;

unsigned Crc32(const char* bytes, int length) {
    static unsigned table[256];
    if (!table[1]) {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[i] = c;
        }
    }
    unsigned crc = 0xFFFFFFFFu;
    for (int i = 0; i < length; ++i)
        crc = table[(crc ^ (unsigned char)bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBytes(CString& out, const void* bytes, int length) {
    out.Append((const char*)bytes, length);
}
void Put32(CString& out, unsigned value) {
    PutBytes(out, &value, 4); // little-endian on every Windows target
}
void Put64(CString& out, unsigned long long value) {
    PutBytes(out, &value, 8);
}
void PutBlob(CString& out, const char* bytes, int length) {
    Put32(out, (unsigned)length);
    PutBytes(out, bytes, length);
}
void PutBlob(CString& out, const CString& bytes) {
    PutBlob(out, bytes, bytes.GetLength());
}

void PutState(CString& out, const FolderState& state) {
    const IconCopyState& copy = state.copy;
    out += (char)((state.folderPresent ? 1 : 0) | (state.iniPresent ? 2 : 0) |
                  (copy.present ? 4 : 0) | (copy.bytesKept ? 8 : 0));
    Put32(out, state.folderAttributes);
    Put32(out, state.iniAttributes);
    PutBlob(out, state.iniBytes);
    PutBlob(out, copy.name);
    Put32(out, copy.attributes);
    Put64(out, copy.hash);
    PutBlob(out, copy.bytes);
}

void PutRecord(CString& out, const CString& payload) {
    PutBytes(out, kRecordMark, 4);
    Put32(out, (unsigned)payload.GetLength());
    Put32(out, Crc32(payload, payload.GetLength()));
    out += payload;
}

CString StepPayload(RecordType type, const JournalStep& step) {
    CString payload;
    payload += (char)type;
    if (type == kStepRecord) {
        Put64(payload, step.action);
        Put64(payload, step.reverts);
    }
    PutBlob(payload, Utf8Of(step.folder));
    PutState(payload, step.before);
    if (type == kStepRecord)
        PutState(payload, step.after);
    return payload;
}

CString ActionPayload(const JournalAction& action) {
    CString payload;
    payload += (char)kActionRecord;
    Put64(payload, action.id);
    payload += (char)action.kind;
    Put64(payload, action.reverts);
    return payload;
}

class Reader {
  public:
    Reader(const char* bytes, int length) : m_at(bytes), m_end(bytes + length) {}
    bool Ok() const { return m_ok; }
    unsigned char Byte() {
        unsigned char value = 0;
        Take(&value, 1);
        return value;
    }
    unsigned U32() {
        unsigned value = 0;
        Take(&value, 4);
        return value;
    }
    unsigned long long U64() {
        unsigned long long value = 0;
        Take(&value, 8);
        return value;
    }
    CString Blob() {
        unsigned length = U32();
        if (!m_ok || length > (unsigned)(m_end - m_at)) {
            m_ok = false;
            return CString();
        }
        CString bytes(m_at, (int)length);
        m_at += length;
        return bytes;
    }
    void State(FolderState& state) {
        const unsigned char flags = Byte();
        state.folderPresent = flags & 1;
        state.iniPresent = flags & 2;
        state.copy.present = flags & 4;
        state.copy.bytesKept = flags & 8;
        state.folderAttributes = U32();
        state.iniAttributes = U32();
        state.iniBytes = Blob();
        state.copy.name = Blob();
        state.copy.attributes = U32();
        state.copy.hash = U64();
        state.copy.bytes = Blob();
    }

  private:
    void Take(void* value, int length) {
        if (!m_ok || m_end - m_at < length) {
            m_ok = false;
            return;
        }
        memcpy(value, m_at, (size_t)length);
        m_at += length;
    }
    const char* m_at;
    const char* m_end;
    bool m_ok = true;
};

WideText JournalPath(const wchar_t* folder) {
    WideText path(folder);
    path += L"\\undo.vrkj";
    return path;
}

// Launches of one user append in turn: a mutex in the session's namespace
// ("Kernel object namespaces"); each user has a journal of their own.
class JournalLock {
  public:
    JournalLock() : m_mutex(CreateMutexW(nullptr, FALSE, L"Local\\Vorelkin.journal")) {
        const DWORD result = m_mutex.IsValid() ? WaitForSingleObject(m_mutex, kLockWaitMs) : 0;
        m_owned = m_mutex.IsValid() && (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED);
    }
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;
    ~JournalLock() {
        if (m_owned)
            ReleaseMutex(m_mutex);
    }
    bool Owned() const { return m_owned; }

  private:
    ScopedKernelHandle m_mutex;
    bool m_owned = false;
};

bool Parse(const CString& bytes, JournalContents& contents) {
    if (bytes.GetLength() < kHeaderBytes || memcmp(bytes, kFileMark, 4) != 0)
        return bytes.IsEmpty();
    const char* at = bytes.GetString() + kHeaderBytes;
    const char* end = bytes.GetString() + bytes.GetLength();
    while (end - at >= kRecordHead) {
        unsigned length = 0, crc = 0;
        memcpy(&length, at + 4, 4);
        memcpy(&crc, at + 8, 4);
        if (memcmp(at, kRecordMark, 4) != 0 || length > (unsigned)(end - at - kRecordHead) ||
            Crc32(at + kRecordHead, (int)length) != crc) {
            ++at; // a torn record: look for the next whole one
            continue;
        }
        Reader reader(at + kRecordHead, (int)length);
        at += kRecordHead + length;
        const unsigned char type = reader.Byte();
        if (type == kActionRecord) {
            JournalAction action;
            action.id = reader.U64();
            action.kind = (ActionKind)reader.Byte();
            action.reverts = reader.U64();
            if (reader.Ok())
                contents.actions.Add(action);
        } else if (type == kStepRecord || type == kFirstStateRecord) {
            JournalStep step;
            if (type == kStepRecord) {
                step.action = reader.U64();
                step.reverts = reader.U64();
            }
            step.folder = WideOfUtf8(reader.Blob());
            reader.State(step.before);
            if (type == kStepRecord)
                reader.State(step.after);
            if (!reader.Ok())
                continue;
            if (type == kFirstStateRecord) {
                contents.firstStates.Add(step);
                continue;
            }
            for (int i = contents.actions.Count(); i-- > 0;) {
                if (contents.actions[i].id == step.action) {
                    ++contents.actions[i].steps;
                    step.actionIndex = i;
                    contents.steps.Add(step);
                    break;
                }
            }
        }
    }
    return true;
}

// The newest actions that fit, whole, after the first state of every
// folder: written to a new file swapped in for the old. The caller holds the
// journal's lock.
void Compact(const wchar_t* path) {
    History history;
    if (!history.Read())
        return;
    const JournalContents& all = history.Contents();
    Items<CString> records;
    records.Resize(all.actions.Count());
    for (const JournalStep& step : all.steps)
        PutRecord(records[step.actionIndex], StepPayload(kStepRecord, step));
    int keptBytes = 0;
    int keptSteps = 0;
    int first = all.actions.Count();
    while (first > 0) {
        const int next = keptBytes + records[first - 1].GetLength();
        if (next > kMaxBytes || (next > kKeepBytes && keptSteps >= kKeepSteps))
            break;
        --first;
        keptBytes = next;
        keptSteps += all.actions[first].steps;
    }
    CString out;
    PutBytes(out, kFileMark, 4);
    Put32(out, kVersion);
    for (const FolderHistory& folder : history.Folders()) {
        JournalStep firstState;
        firstState.folder = folder.folder;
        firstState.before = *folder.first;
        PutRecord(out, StepPayload(kFirstStateRecord, firstState));
    }
    for (int i = first; i < all.actions.Count(); ++i) {
        PutRecord(out, ActionPayload(all.actions[i]));
        out += records[i];
    }
    WriteWholeFile(path, out);
}

unsigned long long NewActionId() {
    static unsigned counter = 0;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long time =
        ((unsigned long long)now.dwHighDateTime << 32) | now.dwLowDateTime;
    return (time & ~0xFFFFFull) | ((GetCurrentProcessId() & 0xFFFull) << 8) | (++counter & 0xFF);
}
} // namespace

WideText JournalFolder() {
    return UserDataFolder();
}

bool SameFolder(const wchar_t* first, const wchar_t* second) {
    return CompareStringOrdinal(first, -1, second, -1, TRUE) == CSTR_EQUAL;
}

bool JournalContents::Read() {
    const WideText folder = JournalFolder();
    if (!*(const wchar_t*)folder)
        return true;
    CString bytes;
    JournalLock lock;
    if (!ReadWholeFile(JournalPath(folder), bytes)) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return Parse(bytes, *this);
}

const JournalAction* JournalContents::Action(unsigned long long id) const {
    for (const JournalAction& action : actions) {
        if (action.id == id)
            return &action;
    }
    return nullptr;
}

ActionRecorder* ActionRecorder::s_current = nullptr;
void (*ActionRecorder::s_tellUnwritable)(const wchar_t* text) = nullptr;

ActionRecorder::ActionRecorder(ActionKind kind, unsigned long long reverts)
    : m_outer(s_current), m_kind(kind), m_reverts(reverts) {
    s_current = this;
    const WideText folder = JournalFolder();
    m_on = *(const wchar_t*)folder != L'\0';
    if (m_on)
        m_path = JournalPath(folder);
}

ActionRecorder::~ActionRecorder() {
    Flush();
    s_current = m_outer;
}

void ActionRecorder::Step(const wchar_t* folder, const FolderState& before,
                          const FolderState& after, unsigned long long reverts) {
    if (!m_on || m_failed)
        return;
    if (!m_id) {
        JournalAction action;
        action.id = m_id = NewActionId();
        action.kind = m_kind;
        action.reverts = m_reverts;
        PutRecord(m_pending, ActionPayload(action));
    }
    JournalStep step;
    step.action = m_id;
    step.reverts = reverts;
    step.folder = WideText(folder);
    step.before = before;
    step.after = after;
    PutRecord(m_pending, StepPayload(kStepRecord, step));
    if (m_pending.GetLength() >= kFlushBytes)
        Flush();
}

void ActionRecorder::FlushAll() {
    for (ActionRecorder* recorder = s_current; recorder; recorder = recorder->m_outer)
        recorder->Flush();
}

void ActionRecorder::Flush() {
    if (m_pending.IsEmpty() || m_failed)
        return;
    const WideText folder = JournalFolder();
    // Its parent is there on every profile; only our own folder may be new.
    CreateDirectoryW(ExtendedPathOf(folder), nullptr);
    JournalLock lock;
    if (!lock.Owned()) {
        Unwritable(ERROR_TIMEOUT);
        return;
    }
    // Append access alone never writes over what is there ("File Security
    // and Access Rights"); the lock keeps two launches' records apart.
    ScopedFile file(CreateFileW(ExtendedPathOf(m_path), FILE_APPEND_DATA | SYNCHRONIZE,
                                FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file, &size)) {
        Unwritable(GetLastError());
        return;
    }
    CString bytes;
    if (size.QuadPart < kHeaderBytes) {
        // A file cut inside its header (a full disk at its first write)
        // starts again.
        file.Reset();
        file.Reset(CreateFileW(ExtendedPathOf(m_path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        PutBytes(bytes, kFileMark, 4);
        Put32(bytes, kVersion);
    }
    bytes += m_pending;
    DWORD written = 0;
    if (!file.IsValid() || !WriteFile(file, bytes, (DWORD)bytes.GetLength(), &written, nullptr) ||
        written != (DWORD)bytes.GetLength() || !FlushFileBuffers(file)) {
        // A part written fails its check when read: earlier records stay.
        Unwritable(written != (DWORD)bytes.GetLength() && GetLastError() == NO_ERROR
                       ? ERROR_DISK_FULL
                       : GetLastError());
        return;
    }
    m_pending.Empty();
    if (size.QuadPart + written > kCompactAt) {
        file.Reset();
        Compact(m_path);
    }
}

void ActionRecorder::Unwritable(DWORD error) {
    m_failed = true;
    m_pending.Empty();
    static bool told = false;
    if (told)
        return;
    told = true;
    WideText text(L"変更の履歴を書き込めないため、この変更は元に戻せません: ");
    text += m_path;
    text += L"\r\n";
    text += WideText(SystemErrorText(error));
    if (s_tellUnwritable)
        s_tellUnwritable(text);
    else
        WideMessageBox(text);
}

#include "HandOver.h"
#include "../base/OurProcesses.h"

#include "../framework/Scoped.h"

#include <sddl.h>
#include <stdlib.h>
#include <string.h>

namespace {
const DWORD kMarkNames = 0x32464B56; // "VKF2": the names follow
// Long enough for a collector that is still starting, or serving others.
const DWORD kConnectMs = 20000;
const DWORD kWriteMs = 5000;
// Longer than all the collector's own limits together, so that a live
// collector always answers before the launch gives up.
const DWORD kAnswerMs = 30000;
// Names on a drive that does not answer: refused rather than waited for.
const DWORD kCheckMs = 5000;

// An access list that admits this user alone. (Wine runs every process as
// the one user, so only Windows shows another user refused.) Labelled, it
// also keeps out every process below our integrity level, reading or
// writing: a process may label what it creates at its own level or below
// ("Mandatory Integrity Control", AddMandatoryAce).
class OwnerOnly {
  public:
    explicit OwnerOnly(bool labelled) : m_user(GetCurrentProcess()) {
        PSID sid = m_user.Sid();
        m_built = sid &&
                  InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  InitializeAcl(&m_acl.acl, sizeof(m_acl), ACL_REVISION) &&
                  AddAccessAllowedAce(&m_acl.acl, ACL_REVISION, GENERIC_ALL, sid) &&
                  SetSecurityDescriptorDacl(&m_descriptor, TRUE, &m_acl.acl, FALSE);
        if (labelled)
            m_built = m_built && InitializeAcl(&m_sacl.acl, sizeof(m_sacl), ACL_REVISION) &&
                      AddMandatoryAce(&m_sacl.acl, ACL_REVISION, 0,
                                      SYSTEM_MANDATORY_LABEL_NO_WRITE_UP |
                                          SYSTEM_MANDATORY_LABEL_NO_READ_UP,
                                      m_user.IntegrityLevel()) &&
                      SetSecurityDescriptorSacl(&m_descriptor, TRUE, &m_sacl.acl, FALSE);
        m_attributes = {sizeof(m_attributes), &m_descriptor, FALSE};
    }
    SECURITY_ATTRIBUTES* Attributes() { return m_built ? &m_attributes : nullptr; }

  private:
    ProcessUser m_user;
    SECURITY_DESCRIPTOR m_descriptor;
    union {
        ACL acl;
        DWORD bytes[64];
    } m_acl, m_sacl;
    SECURITY_ATTRIBUTES m_attributes;
    bool m_built = false;
};

// A full path on a drive letter or on a share ("\\server\share\..."): no
// device, no "." or "..", no stream, nothing a launch's own full path would
// not be. Decided from the text alone, before any file is touched. "\\?\"
// and "\\.\" are refused too: the launch that holds such a name opens its
// own popup.
bool IsPlainFullPath(const wchar_t* name) {
    const bool share = name[0] == L'\\' && name[1] == L'\\';
    if (!share &&
        !(((name[0] >= L'A' && name[0] <= L'Z') || (name[0] >= L'a' && name[0] <= L'z')) &&
          name[1] == L':' && name[2] == L'\\'))
        return false;
    // A share's server and share name come first, neither of them empty.
    int named = 0;
    const wchar_t* component = name + (share ? 2 : 3);
    for (const wchar_t* at = component;; ++at) {
        if (*at == L'\0' || *at == L'\\') {
            int length = (int)(at - component);
            named += length > 0;
            if ((length == 0 && (*at || (share && named < 2))) ||
                (length == 1 && component[0] == L'.') ||
                (length == 2 && component[0] == L'.' && component[1] == L'.') ||
                IsDeviceName(component, length))
                return false;
            if (!*at)
                return !share || named >= 2;
            component = at + 1;
        } else if (*at < 0x20 || wcschr(L"/:*?\"<>|", *at)) {
            return false;
        }
    }
}

} // namespace

bool ReadHandOver(const BYTE* message, DWORD size, TargetFolders& incoming) {
    DWORD mark = 0;
    if (size < sizeof(mark) + 2 * sizeof(wchar_t) || size > kMaxHandOverBytes ||
        (size - sizeof(mark)) % sizeof(wchar_t))
        return false;
    memcpy(&mark, message, sizeof(mark));
    const wchar_t* names = (const wchar_t*)(message + sizeof(mark));
    const DWORD count = (size - sizeof(mark)) / sizeof(wchar_t);
    if (mark != kMarkNames || names[count - 1] || names[count - 2] || !names[0])
        return false;
    int nameCount = 0;
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1) {
        if (++nameCount > TargetFolders::kMax || !IsPlainFullPath(at))
            return false;
    }
    const DWORD start = GetTickCount();
    for (const wchar_t* at = names; *at; at += wcslen(at) + 1) {
        DWORD attributes = GetFileAttributesW(at);
        CString path;
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            !AnsiPathOf(at, path) || GetTickCount() - start > kCheckMs) {
            incoming.Clear();
            return false;
        }
        incoming.AddSpelled(at, path);
    }
    return true;
}

HandOverMessage::HandOverMessage(const TargetFolders& folders) {
    Append(&kMarkNames, sizeof(kMarkNames));
    for (int i = 0; i < folders.Count(); ++i)
        Append(folders.Name(i), sizeof(wchar_t) * (wcslen(folders.Name(i)) + 1));
    Append(L"", sizeof(wchar_t));
}

void HandOverMessage::Append(const void* bytes, size_t size) {
    BYTE* joined = (BYTE*)realloc(m_bytes, m_size + size);
    if (!joined)
        abort();
    memcpy(joined + m_size, bytes, size);
    m_bytes = joined;
    m_size += size;
}

bool CompleteIo(HANDLE pipe, OVERLAPPED& io, BOOL done, DWORD timeoutMs, DWORD& bytes,
                HANDLE stop) {
    if (!done && GetLastError() != ERROR_IO_PENDING)
        return false;
    HANDLE events[2] = {io.hEvent, stop};
    if (WaitForMultipleObjects(stop ? 2 : 1, events, FALSE, timeoutMs) != WAIT_OBJECT_0)
        CancelIo(pipe);
    return GetOverlappedResult(pipe, &io, &bytes, TRUE) != FALSE;
}

HANDLE CreateCollectorPipe(const wchar_t* pipeName) {
    // The label goes in with the pipe (Wine refuses to set one afterwards);
    // a label the system will not take never stops the hand-over, which the
    // ends' own check of each other still guards.
    for (int labelled = 1; labelled >= 0; --labelled) {
        OwnerOnly security(labelled != 0);
        if (!security.Attributes())
            continue;
        // The first instance, or none: no one else can have made the pipe
        // first. (Wine has no remote pipe clients to refuse, and makes a
        // further instance of a pipe another process made first,
        // FILE_FLAG_FIRST_PIPE_INSTANCE or not.)
        HANDLE pipe = CreateNamedPipeW(
            pipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
            kMaxHandOverBytes, kMaxHandOverBytes, 0, security.Attributes());
        if (pipe != INVALID_HANDLE_VALUE)
            return pipe;
    }
    return INVALID_HANDLE_VALUE;
}

WideText CollectorPipeName(const wchar_t* exePath) {
    WideText name(L"\\\\.\\pipe\\Vorelkin.");
    const ProcessUser user(GetCurrentProcess());
    wchar_t* sid = nullptr;
    if (user.Sid() && ConvertSidToStringSidW(user.Sid(), &sid)) {
        name += sid;
        LocalFree(sid);
    }
    DWORD hash = 2166136261u; // FNV-1a of the path in capitals
    const WideText path = LongNameOf(exePath);
    for (const wchar_t* at = path; *at; ++at) {
        wchar_t upper = *at;
        CharUpperBuffW(&upper, 1);
        hash = (hash ^ upper) * 16777619u;
    }
    wchar_t tail[32];
    wsprintfW(tail, L".%lu.%08lx", user.Session(), hash);
    name += tail;
    return name;
}

HandOverAnswer SendHandOver(const wchar_t* pipeName, const void* message, DWORD size) {
    // Anonymous: the server end learns who we are from our process, and can
    // never act as us.
    const DWORD flags = FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_ANONYMOUS;
    const DWORD start = GetTickCount();
    ScopedFile pipe;
    for (;;) {
        pipe.Reset(CreateFileW(pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               flags, nullptr));
        if (pipe.IsValid())
            break;
        const DWORD error = GetLastError(), waited = GetTickCount() - start;
        if (error == ERROR_FILE_NOT_FOUND)
            return HandOverAnswer::kNoCollector;
        if (error != ERROR_PIPE_BUSY || waited >= kConnectMs)
            return HandOverAnswer::kRefused; // nothing was sent
        WaitNamedPipeW(pipeName, kConnectMs - waited < 500 ? kConnectMs - waited : 500);
    }
    // Only a collector of this executable, of this user, in this session, at
    // this integrity level.
    ULONG server = 0;
    DWORD mode = PIPE_READMODE_MESSAGE;
    const WideText theirs =
        GetNamedPipeServerProcessId(pipe, &server) ? ExecutableOfOurs(server) : WideText();
    if (!*(const wchar_t*)theirs ||
        CompareStringOrdinal(theirs, -1, OwnExecutablePath(), -1, TRUE) != CSTR_EQUAL || !size ||
        !SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr))
        return HandOverAnswer::kRefused;
    ScopedKernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED io = {};
    io.hEvent = event;
    DWORD bytes = 0, answer = 0;
    // A write that did not complete left the collector no whole message.
    if (!event.IsValid() ||
        !CompleteIo(pipe, io, WriteFile(pipe, message, size, nullptr, &io), kWriteMs, bytes))
        return HandOverAnswer::kRefused;
    io = {};
    io.hEvent = event;
    if (!CompleteIo(pipe, io, ReadFile(pipe, &answer, sizeof(answer), nullptr, &io), kAnswerMs,
                    bytes) ||
        bytes != sizeof(answer))
        return HandOverAnswer::kUnanswered;
    return answer == kMarkTaken     ? HandOverAnswer::kTaken
           : answer == kMarkRefused ? HandOverAnswer::kRefused
                                    : HandOverAnswer::kUnanswered;
}

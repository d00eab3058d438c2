// The wire between launches: the pipe's name and access list, the message a
// launch sends and the rules the collector reads it by, and the launch's end
// of one exchange.
#pragma once

#include "../base/OurProcesses.h"
#include "../base/TargetFolders.h"

#include <stdlib.h>

const DWORD kMaxHandOverBytes = 64 * 1024;
const DWORD kMarkTaken = 0x32544B56;   // "VKT2"
const DWORD kMarkRefused = 0x32524B56; // "VKR2"

// The pipe a collector of this executable serves for this user in this
// session: the user's SID, the session and the executable's path are in it.
WideText CollectorPipeName(const wchar_t* exePath);

// The collector's end: the pipe's first and only instance, which admits this
// user alone, no remote client and, where the system takes the label, no
// process below our integrity level; INVALID_HANDLE_VALUE when another
// process made it first.
HANDLE CreateCollectorPipe(const wchar_t* pipeName);

// One hand-over message as it is sent: a mark, then the names, each ending
// in a NUL, and an empty name at the end.
class HandOverMessage {
  public:
    explicit HandOverMessage(const TargetFolders& folders);
    HandOverMessage(const HandOverMessage&) = delete;
    HandOverMessage& operator=(const HandOverMessage&) = delete;
    ~HandOverMessage() { free(m_bytes); }
    const BYTE* Bytes() const { return m_bytes; }
    DWORD Size() const { return (DWORD)m_size; }

  private:
    void Append(const void* bytes, size_t size);
    BYTE* m_bytes = nullptr;
    size_t m_size = 0;
};

// The names of a sound message, each an existing folder that the -A calls
// can name, into incoming; false, leaving it empty, for any other message.
// The names are judged by their text before any file is touched: only full
// paths on a drive letter or a share, with no device, stream, "." or "..",
// at most TargetFolders::kMax of them.
bool ReadHandOver(const BYTE* message, DWORD size, TargetFolders& incoming);

// Waits for an overlapped transfer on the pipe; cancels it when the time is
// up, or when stop is set. True when it completed.
bool CompleteIo(HANDLE pipe, OVERLAPPED& io, BOOL done, DWORD timeoutMs, DWORD& bytes,
                HANDLE stop = nullptr);

// What a launch hears from the collector behind the pipe. kRefused also
// when nothing could be sent: the pipe is another's, or busy too long.
enum class HandOverAnswer { kNoCollector, kTaken, kRefused, kUnanswered };
// Sends one message and waits for the answer; a size of 0 only asks
// whether a collector of ours runs.
HandOverAnswer SendHandOver(const wchar_t* pipeName, const void* message, DWORD size);

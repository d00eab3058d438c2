// Explorer's verb starts one launch per selected folder: they gather their
// folders in the first, which collects while its popup is open and nothing
// has been chosen; the others hand their folders over and end.
//
// The hand-over runs on a named pipe that only this user's launches of this
// very executable, in this session, at this integrity level, can reach: the
// pipe admits only the user's SID, no remote client and nothing below our
// integrity level, and each end checks the other's process (its user, its
// session, its integrity level and elevation, and its executable) before it
// believes a byte. A launch sends its names in one message; the collector
// checks them on its own thread (only plain full paths on a drive or a
// share, never a device or a stream, then that each is a folder) and
// answers "taken" only once they are in its list. That answer is the commit
// point: a launch that is told "refused", or that could send nothing, opens
// its own popup; a launch that sent and heard nothing ends with a box, as
// the collector may have them.
#pragma once

#include "HandOver.h"

#include "../popup/ChoiceInHand.h"

#include "../framework/Scoped.h"

class FolderCollector {
  public:
    FolderCollector();
    FolderCollector(const FolderCollector&) = delete;
    FolderCollector& operator=(const FolderCollector&) = delete;
    ~FolderCollector();

    // Hands the folders to the collecting launch and returns true when this
    // launch ends here: the collector took them, or may have taken them and
    // the user was told. Otherwise this launch opens its own popup, and
    // collects into mine when no collector runs. Call it on the UI thread:
    // folders handed over later join mine there.
    bool HandOverOrCollect(const TargetFolders& folders, TargetFolders& mine);

  private:
    enum class State { kIdle, kPending, kTaken, kRefused };
    static DWORD WINAPI ServeThread(void* self);
    static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool StartServing(const wchar_t* pipeName, TargetFolders& mine);
    void Serve();
    bool ServeClient();
    void AwaitClose(HANDLE event);
    bool Offer(const TargetFolders& incoming);
    void TakeOffered(WPARAM id);

    ScopedFile m_pipe; // INVALID_HANDLE_VALUE when CreateNamedPipe failed
    ScopedKernelHandle m_stop, m_thread;
    HWND m_window = nullptr;
    TargetFolders* m_mine = nullptr;
    // The one offer in flight, between the pipe's thread and the UI thread.
    CRITICAL_SECTION m_lock;
    const TargetFolders* m_offered = nullptr;
    State m_state = State::kIdle;
    WPARAM m_offerId = 0;
};

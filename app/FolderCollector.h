// Explorer's verb starts one launch per selected folder: they gather their
// folders in the first, which collects while its popup is open and nothing
// has been chosen; the others hand their folders over and end.
#pragma once

#include "TargetFolders.h"

#include "../framework/Scoped.h"

// While false, hand-overs are refused: their launches open a popup of their
// own. The popup clears it while a choice is in hand.
extern bool g_bCollectingFolders;

// A choice in hand: launches that come meanwhile open their own popup, until
// the choice is cancelled, and for good once it is made.
class ChoiceInHand {
  public:
    ChoiceInHand() : m_wasCollecting(g_bCollectingFolders) { g_bCollectingFolders = false; }
    ChoiceInHand(const ChoiceInHand&) = delete;
    ChoiceInHand& operator=(const ChoiceInHand&) = delete;
    ~ChoiceInHand() { g_bCollectingFolders = m_wasCollecting; }
    void Made() { m_wasCollecting = false; }

  private:
    bool m_wasCollecting;
};

class FolderCollector {
  public:
    FolderCollector() = default;
    FolderCollector(const FolderCollector&) = delete;
    FolderCollector& operator=(const FolderCollector&) = delete;
    ~FolderCollector();

    // Hands the folders to a collecting launch of this user and returns true
    // when one took them; otherwise this launch collects from now on into
    // mine. One launch at a time decides, so two never both collect.
    bool HandOverOrCollect(const TargetFolders& folders, TargetFolders& mine);

  private:
    ScopedKernelHandle m_turn;
    HWND m_window = nullptr;
};

// The folders of a hand-over message, added when the whole message is
// sound: its mark, an even size up to 64 KB, NUL-separated names ending in
// an empty one, and each an existing folder. False, adding none, otherwise.
bool TakeHandOver(const COPYDATASTRUCT& message, TargetFolders& folders);

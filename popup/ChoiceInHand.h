// The popup's choice in hand, which the collector of other launches' folders
// asks before it takes theirs.
#pragma once

// While false, hand-overs are refused: their launches open a popup of their
// own. The popup clears it while a choice is in hand. The UI thread alone
// reads and writes it.
inline bool g_bCollectingFolders = false;

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

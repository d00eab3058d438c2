// The settings as a long-lived window found them: it writes back only the
// keys that changed since, so a hand edit of vrkcfg.ini or another window's
// change made meanwhile stays. A key the sheet changed is the user's choice
// and is written whatever the file holds now; a key deleted meanwhile stays
// deleted, as any other hand edit, until the next launch writes its default.
#pragma once

#include "Settings.h"

class SettingsSnapshot {
  public:
    // Takes the settings model as it stands now.
    SettingsSnapshot();

    // Writes each key whose value differs from the snapshot, under the
    // file's lock; nothing when the file could not be read at start-up.
    void WriteChanges() const;
    // Puts the model back as it was.
    void Restore() const;

  private:
    CString m_iconFolder;
    CString m_paths[IconSlot::Count];
    int m_indexes[IconSlot::Count] = {};
    bool m_help, m_iconCopy, m_tipDelete;
    int m_toumeido;
};

// vrkcfg.ini and the settings model: start-up's loading phase and the
// write-back when the popup has closed.
#pragma once

#include "Settings.h"

#include "../framework/String.h"

// The executable's path as the -A calls take it; empty, once the user has
// been told if asked, when its folder cannot be named so.
CString ExecutablePath(bool tellUnspellable = true);

// The 21 keys, in the order a new file has them: each key's text in the file
// once the defaults were written, and what the write-back would have written
// for it then.
struct SettingsAsRead {
    static const int kKeys = 1 + 2 * IconSlot::Count + 4;
    CString texts[kKeys], written[kKeys];
};

// Start-up's loading phase (the folder argument aside): finds vrkcfg.ini
// beside the executable and fills the settings model, writing a default for
// each key that holds no value. A file that exists but cannot be read is
// told of in a box, unless the caller has no window to show one.
SettingsAsRead LoadSettings(const CString& exePath, int osVersion, bool tellUnreadable = true);

// Writes the 21 keys back, in the order a new file has them, normalised.
// Another window of ours or a hand edit may have changed the file since it
// was read: a key whose text differs now keeps it, unless this run changed
// the key itself; a key deleted meanwhile gets this run's value back.
void SaveSettings(const SettingsAsRead& read);

// The settings as the popup's start-up loads them, for the overview window:
// read once, never written back at exit.
void LoadListSettings();

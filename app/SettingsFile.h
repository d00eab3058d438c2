// vrkcfg.ini and the settings model: start-up's loading phase and the
// write-back when the popup has closed.
#pragma once

#include "../framework/String.h"

// The executable's path as the -A calls take it; empty, once the user has
// been told if asked, when its folder cannot be named so.
CString ExecutablePath(bool tellUnspellable = true);

// Start-up's loading phase (the folder argument aside): finds vrkcfg.ini
// beside the executable and fills the settings model, writing a default for
// each key that holds no value. Returns the texts of the four options as read
// or defaulted, for the write-back.
struct OptionTexts {
    CString help, iconCopy, tipDelete, toumeido;
};
// A file that exists but cannot be read is told of in a box, unless the
// caller has no window to show one.
OptionTexts LoadSettings(const CString& exePath, int osVersion, bool tellUnreadable = true);

// Writes all 21 keys back, in the order a new file has them.
void SaveSettings(const OptionTexts& options);

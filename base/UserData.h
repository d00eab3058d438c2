// Where this user's own files of the program live on this PC: the undo
// journal and the overview's kept rows. Never beside the executable: one
// copy of the program may serve several users.
#pragma once

#include "WideText.h"

// %LOCALAPPDATA%\Vorelkin (the known folder FOLDERID_LocalAppData), or the
// folder the VORELKIN_DATA environment variable names (the tests' own).
// Empty when that variable is "off" (the benchmark's runs without a
// journal); "?" when the system names no such folder, so that every write
// there fails and says so.
WideText UserDataFolder();

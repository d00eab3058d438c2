// The overview's command line: "/list" as the first argument runs the
// overview instead of the popup.
//   /list                          the window, after the folder picker
//   /list "<folder>"               the window on that folder
//   /list "<folder>" /export "<file>"  no window: the marks written to the file
#pragma once

// The settings as a command reads them: no box, the defaults of missing keys
// written and nothing else; a file that cannot be read is told of in a line.
void LoadScriptSettings();

// The export of the marks under the folder, to the file, or with no file (a
// null one) the same text to standard output without its byte-order mark.
int ListMarks(const wchar_t* folder, const wchar_t* file);

#include "../base/WideText.h"

enum class ListMode { kNone, kExported, kWindow };
// kNone when the command line is not the overview's. An export runs here and
// gives the process's exit code; for the window, the folder it shows (empty:
// the folder picker asks), which start-up opens.
ListMode RunListCommand(const wchar_t* commandLine, int& exitCode, WideText& windowFolder);

// What the commands print, for whoever started them: to a console as its own
// wide text (every name shows whole), redirected or piped as UTF-8 without a
// byte-order mark. A program without a console of its own (Vorelkin.exe)
// borrows its starter's for the moment.
#pragma once

#include "../base/WideText.h"

// Results, on standard output; the text brings its own CR LF line ends.
void PrintResult(const wchar_t* text);

// One line on standard error: "Vorelkin: ", what, the name, then the
// system's text for the error where one is given. Line breaks inside become
// blanks, so each failure is one line.
void Tell(const wchar_t* what, const wchar_t* name, DWORD error = NO_ERROR);

// The text that names a folder the commands cannot use.
extern const wchar_t kNoFolderText[];

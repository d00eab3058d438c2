// Runs one of the program's own dialogs modally in the test process while a
// second thread drives it through its windows.
#pragma once

#include "framework/Dialog.h"

#include <functional>

// Runs the dialog modally; drive runs meanwhile on another thread. Whatever
// drive leaves open is cancelled afterwards, so the call always returns.
// Gives DoModal's result.
INT_PTR RunDriven(CDialog& dialog, const std::function<void()>& drive);

// Presses a dialog's button without waiting for what it opens.
void PostClick(HWND dialog, int id);

// The platform's Open dialog, driven by typing a name into its file-name
// field as a user can.
#pragma once

#include "Driver.h"

// A visible Open dialog of the process: a dialog with a file-name field.
HWND WaitForOpenDialog(DWORD pid, DWORD timeoutMs = kWaitMs);
// Types the name and presses the Open button; the dialog checks the name.
void ChooseFileName(HWND openDialog, const char* name);
// Presses Cancel.
void CancelDialog(HWND dialog);

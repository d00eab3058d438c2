#pragma once

#include "String.h"

#include <windows.h>

// String resource of the framework's "too long" message.
#define AFX_IDP_PARSE_STRING_SIZE 0xF114

// A modal box owned by the main window, captioned with the application
// title; the exclamation icon unless the type names another.
int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);

// The string resource with %1 replaced by the argument.
CString AfxFormatString1(UINT stringId, const char* argument);

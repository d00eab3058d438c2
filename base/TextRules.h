// Rules on CP932 byte strings that need no window system, so they can be
// tested and fuzzed on any host.
#pragma once

#include "../framework/String.h"

#include <windows.h>

// True for a byte that starts a double-byte character in code page 932.
inline bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Index of the last backslash that is a character of its own (never the
// second byte of a double-byte character), or -1.
int FindLastBackslash(const char* text);

// The leading decimal integer: blanks skipped, an optional sign, digits up to
// the first non-digit; no digits give 0; saturates at the 32-bit limits.
int LeadingInt(const char* text);

// The longest start of the text of at most maxBytes bytes that does not end
// inside a double-byte character.
CString CutAtCharBoundary(const CString& text, int maxBytes);

// The system's text for an error code, or its decimal number when the system
// has none.
CString SystemErrorText(DWORD error);

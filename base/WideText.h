// UTF-16 text for the -W calls: a CP932 text converted (Wine's -A file calls
// refuse a path of MAX_PATH bytes or more; its -W calls take it), or a name
// as the system gave it, which CP932 may not be able to spell.
#pragma once

#include "../framework/String.h"

#include <windows.h>

class WideText {
  public:
    WideText() = default;
    explicit WideText(const char* cp932);
    explicit WideText(const wchar_t* text) { *this += text; }
    WideText(const WideText& other) : WideText((const wchar_t*)other) {}
    WideText& operator=(const WideText& other);
    ~WideText();

    WideText& operator+=(const wchar_t* text);
    operator const wchar_t*() const { return m_text ? m_text : L""; }

  private:
    wchar_t* m_text = nullptr;
    int m_length = 0;
};

// The text in CP932 when every character has a code of its own there: no
// "?" and no look-alike in the place of a character.
bool SpellInCp932(const wchar_t* text, CString& cp932);

// UTF-16 and UTF-8, both ways; a length of -1 runs to the NUL, a given one
// may hold NULs, as a file's text can.
CString Utf8Of(const wchar_t* text, int length = -1);
WideText WideOfUtf8(const char* utf8);

// Text without a byte-order mark that an editor saved as UTF-8: valid UTF-8
// that is not valid CP932 (plain ASCII is both, and stays CP932).
bool IsUtf8NotCp932(const char* bytes, int length);

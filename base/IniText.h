// INI text read and edited in place: a key's value is replaced where it
// stands, and every other byte of the text stays as it was. Wine's profile
// writer rewrites the whole file instead, dropping blank lines, blanks around
// names and values, and any bytes it cannot parse.
#pragma once

#include "../framework/String.h"

// How names are scanned: in CP932 a lead byte takes the next byte with it
// (so a trail byte 0x5D is never taken for "]"); UTF-8 needs no such care.
enum class IniBytes { Cp932, Utf8 };

// The value of the first key of that name in the first section of that name,
// as the profile reader finds it: names compared without regard to ASCII
// letter case, blanks around names and values ignored, one pair of enclosing
// double quotes removed. False when there is no such key.
bool FindIniValue(const CString& text, IniBytes kind, const char* section, const char* key,
                  CString& value);

// The text with the key set. The value of an existing key is replaced up to
// its line's end; a missing key gets a line after the last line of its
// section, a missing section is added at the end. New lines use the text's
// own line ends.
CString SetIniValue(const CString& text, IniBytes kind, const char* section, const char* key,
                    const char* value);

// The text without any line of the key in its section, each line break and
// all; every other byte stays.
CString RemoveIniKey(const CString& text, IniBytes kind, const char* section, const char* key);

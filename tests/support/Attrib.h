#pragma once

#include <string>

// A file's attributes as another process reads them from disk: the letters
// of "ASHR" that attrib.exe shows for it, in that order ("" for none);
// "?" and attrib's output when it showed no flags line.
std::string AttribLetters(const char* path);

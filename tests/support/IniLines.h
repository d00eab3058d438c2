#pragma once

#include <string>
#include <vector>

// The non-blank lines of an INI file's bytes, without line ends.
std::vector<std::string> IniLines(const std::string& bytes);

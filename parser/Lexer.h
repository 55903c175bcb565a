// How content lines of the format are cut into fields.
#pragma once

#include <string>
#include <vector>

// Words separated by runs of spaces and tabs; no quoting, no escaping. An empty line gives one
// empty word. Used for UNITS lines and END lines.
std::vector<std::wstring> SplitOnBlanks(const std::wstring& line);

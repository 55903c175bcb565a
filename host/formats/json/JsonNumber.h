// Numbers as the JSON output has always written them, which is how nlohmann-json's serializer
// writes a double: the digits of Grisu2 (the shortest that read back as the same double, but for
// rare cases), printf's %g layout with ".0" on whole numbers, and null for infinities and NaN.
#pragma once

#include <cstddef>

namespace Host
{

// Room that WriteJsonNumber may use.
constexpr std::size_t JsonNumberRoom = 32;

// Writes value at out, which has JsonNumberRoom bytes, and returns the end of the text.
char* WriteJsonNumber(char* out, double value);

} // namespace Host

// How much of a long line's buffer the reader keeps for the lines after it.
#pragma once

#include <cstddef>

// Longer than any line of a real file; a line or field buffer grown past it goes back to the
// heap once that line is done, so one freak line does not hold its memory for the whole file.
constexpr std::size_t kKeptLineCapacity = 64 * 1024;

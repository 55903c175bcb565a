// The search for one byte that the file reader runs over every line, twice. The C library's
// memchr is a loop over single bytes in some runtimes the plug-in meets (Wine's msvcrt.dll, which
// a Windows build loads there), so where SSE2 is there, as on every x86-64, sixteen bytes are
// compared at a time.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Driver
{

// The first byte equal to value in [begin, end), or end.
inline const char* FindByte(const char* begin, const char* end, char value)
{
#if defined(__SSE2__) && defined(__GNUC__)
    const __m128i wanted = _mm_set1_epi8(value);
    for (; end - begin >= 16; begin += 16)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (found)
            return begin + __builtin_ctz(static_cast<unsigned>(found));
    }
    while (begin != end && *begin != value)
        ++begin;
    return begin;
#else
    const void* found = begin == end ? nullptr : std::memchr(begin, value, end - begin);
    return found ? static_cast<const char*>(found) : end;
#endif
}

} // namespace Driver

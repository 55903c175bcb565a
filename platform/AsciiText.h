// Both decoders of the thread's code page start the same way: every code page they meet reads
// bytes below 0x80 as ASCII, and nearly every line of a file is made of them only.
#pragma once

#include "platform/Simd.h"

#include <cstddef>

namespace Platform
{

// Widens size bytes into out as they are. True when every byte was ASCII, so that out is the
// decoded line; otherwise it is to be decoded again, and out holds no more than size characters
// in any case.
inline bool WidenAscii(const char* bytes, std::size_t size, wchar_t* out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
#if ORVA_SSE2
    // Sixteen bytes a step, interleaved with zeros once for a 16-bit wchar_t and twice for a
    // 32-bit one; a byte from 0x80 up sets its bit in the mask and ends the widening.
    const __m128i zero = _mm_setzero_si128();
    auto widenBlock = [&](std::size_t at)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
        if (_mm_movemask_epi8(block) != 0)
            return false;
        const __m128i low = _mm_unpacklo_epi8(block, zero);
        const __m128i high = _mm_unpackhi_epi8(block, zero);
        auto* to = reinterpret_cast<__m128i*>(out + at);
        if constexpr (sizeof(wchar_t) == 2)
        {
            _mm_storeu_si128(to, low);
            _mm_storeu_si128(to + 1, high);
        }
        else
        {
            _mm_storeu_si128(to, _mm_unpacklo_epi16(low, zero));
            _mm_storeu_si128(to + 1, _mm_unpackhi_epi16(low, zero));
            _mm_storeu_si128(to + 2, _mm_unpacklo_epi16(high, zero));
            _mm_storeu_si128(to + 3, _mm_unpackhi_epi16(high, zero));
        }
        return true;
    };
    if (size >= 16)
    {
        for (; i + 16 <= size; i += 16)
            if (!widenBlock(i))
                return false;
        // The few bytes left are widened with the block that ends the line: the bytes widened
        // twice come out the same.
        if (i != size && !widenBlock(size - 16))
            return false;
        return true;
    }
#endif
    unsigned char any = 0;
    for (; i < size; ++i)
    {
        out[i] = in[i];
        any |= in[i];
    }
    return any < 0x80;
}

} // namespace Platform

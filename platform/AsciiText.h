// Both decoders of the thread's code page start the same way: every code page they meet reads
// bytes below 0x80 as ASCII, and nearly every line of a file is made of them only.
#pragma once

#include "platform/ByteWords.h"
#include "platform/Simd.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

#if ORVA_SSE2
// Stores sixteen ASCII bytes as sixteen characters: the bytes interleaved with zeros once for a
// 16-bit wchar_t and twice for a 32-bit one.
inline void StoreWidened(__m128i block, wchar_t* out)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(block, zero);
    const __m128i high = _mm_unpackhi_epi8(block, zero);
    auto* to = reinterpret_cast<__m128i*>(out);
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
}
#endif

// Widens size bytes into out as they are. True when every byte was ASCII, so that out is the
// decoded line; otherwise it is to be decoded again, and out holds no more than size characters
// in any case.
inline bool WidenAscii(const char* bytes, std::size_t size, wchar_t* out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
#if ORVA_SSE2
    // A byte from 0x80 up sets its bit in the mask and ends the widening.
    auto widenBlock = [&](std::size_t at)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
        if (_mm_movemask_epi8(block) != 0)
            return false;
        StoreWidened(block, out + at);
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

// True when every one of size bytes is below 0x80: the line reads the same in every code page
// that keeps ASCII as it is, UTF-8 included.
inline bool IsAscii(const char* bytes, std::size_t size)
{
    std::size_t i = 0;
#if ORVA_SSE2
    if (size >= 16)
    {
        // The last block overlaps those before it rather than leaving bytes to test one by one.
        __m128i any = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + size - 16));
        for (; i + 16 <= size; i += 16)
            any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
        return _mm_movemask_epi8(any) == 0;
    }
#endif
    std::uint64_t any = 0;
    if (size >= Words::kSize)
    {
        any = Words::Load(bytes + size - Words::kSize);
        for (; i + Words::kSize <= size; i += Words::kSize)
            any |= Words::Load(bytes + i);
        return (any & Words::Repeated(0x80)) == 0;
    }
    for (; i < size; ++i)
        any |= static_cast<unsigned char>(bytes[i]);
    return any < 0x80;
}

} // namespace Platform

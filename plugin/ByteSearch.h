// The searches for one byte that the file reader runs over every line. The C library's memchr is
// a loop over single bytes in some runtimes the plug-in meets (Wine's msvcrt.dll, which a Windows
// build loads there), so with SSE2 sixteen bytes are compared at a time, and eight in a word
// otherwise.
#pragma once

#include "platform/ByteWords.h"
#include "platform/Simd.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Driver
{

namespace Words = Platform::Words;

// The first byte equal to value in [begin, end), or end.
inline const char* FindByte(const char* begin, const char* end, char value)
{
#if ORVA_SSE2
    const __m128i wanted = _mm_set1_epi8(value);
    const bool wholeBlock = end - begin >= 16;
    for (; end - begin >= 16; begin += 16)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        if (found)
            return begin + __builtin_ctz(static_cast<unsigned>(found));
    }
    if (begin != end && wholeBlock)
    {
        // The last block overlaps bytes already searched, which hold no match: a byte at a time
        // would cost more than the repeat for the few left over.
        const char* last = end - 16;
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(last));
        const int found = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
        return found ? last + __builtin_ctz(static_cast<unsigned>(found)) : end;
    }
    while (begin != end && *begin != value)
        ++begin;
    return begin;
#else
    const std::uint64_t wanted = Words::Repeated(static_cast<unsigned char>(value));
    for (; static_cast<std::size_t>(end - begin) >= Words::kSize; begin += Words::kSize)
        if (const std::uint64_t marks = Words::ZeroBytes(Words::Load(begin) ^ wanted))
            return begin + Words::FirstMarked(marks);
    // The few bytes left.
    while (begin != end && *begin != value)
        ++begin;
    return begin;
#endif
}

// The first byte equal to first or to second in [begin, end), or end: one walk for two searches
// that would otherwise read the same bytes twice.
inline const char* FindEitherByte(const char* begin, const char* end, char first, char second)
{
#if ORVA_SSE2
    const __m128i one = _mm_set1_epi8(first);
    const __m128i other = _mm_set1_epi8(second);
    for (; end - begin >= 16; begin += 16)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const int found = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, one), _mm_cmpeq_epi8(block, other)));
        if (found)
            return begin + __builtin_ctz(static_cast<unsigned>(found));
    }
#else
    const std::uint64_t one = Words::Repeated(static_cast<unsigned char>(first));
    const std::uint64_t other = Words::Repeated(static_cast<unsigned char>(second));
    for (; static_cast<std::size_t>(end - begin) >= Words::kSize; begin += Words::kSize)
    {
        const std::uint64_t word = Words::Load(begin);
        if (const std::uint64_t marks =
                Words::ZeroBytes(word ^ one) | Words::ZeroBytes(word ^ other))
            return begin + Words::FirstMarked(marks);
    }
#endif
    while (begin != end && *begin != first && *begin != second)
        ++begin;
    return begin;
}

#if ORVA_SSE2
// The sum of the sixteen byte lanes.
inline std::size_t SumLanes(__m128i lanes)
{
    const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
    return static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
           static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
}
#endif

// Past the last byte of [begin, end) that equals value, which is there: looked for from the end,
// as the lines of a window end near its end.
inline const char* AfterLast(const char* begin, const char* end, char value)
{
    while (end != begin && end[-1] != value)
        --end;
    return end;
}

// How many bytes of [begin, end) equal value; afterLast is set past the last of them, and left
// as it was when there is none. Counting the lines of a file this way costs no call per line.
inline std::size_t CountByte(const char* begin, const char* end, char value, const char*& afterLast)
{
    const char* const start = begin;
    std::size_t count = 0;
#if ORVA_SSE2
    // Each match adds one to its byte's lane (a comparison gives -1, subtracted); the lanes are
    // summed before any of them could pass 255.
    const __m128i wanted = _mm_set1_epi8(value);
    while (end - begin >= 16)
    {
        __m128i lanes = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && end - begin >= 16; ++blocks, begin += 16)
        {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, wanted));
        }
        count += SumLanes(lanes);
    }
#else
    // One bit for each match in the word.
    const std::uint64_t wanted = Words::Repeated(static_cast<unsigned char>(value));
    for (; static_cast<std::size_t>(end - begin) >= Words::kSize; begin += Words::kSize)
        count += static_cast<std::size_t>(
            __builtin_popcountll(Words::ZeroBytes(Words::Load(begin) ^ wanted)));
#endif
    for (const char* at = begin; at != end; ++at)
        count += *at == value;
    if (count != 0)
        afterLast = AfterLast(start, end, value);
    return count;
}

// CountByte over the bytes of [begin, end) before the first that equals stop, which is returned
// (end when there is none); flagged is set when a byte before it equals flag. One walk counts the
// lines of a file, finds where its text ends and tells whether it holds a NUL. Both rare bytes are
// only noticed in a group of blocks while it is counted: a group with either is searched and
// counted again exactly, with the rest of the bytes.
inline const char* CountByteBefore(const char* begin, const char* end, char value, char stop,
                                   char flag, std::size_t& count, const char*& afterLast,
                                   bool& flagged)
{
    const char* const start = begin;
    std::size_t counted = 0;
#if ORVA_SSE2
    const __m128i wanted = _mm_set1_epi8(value);
    const __m128i stops = _mm_set1_epi8(stop);
    const __m128i flags = _mm_set1_epi8(flag);
    while (end - begin >= 16)
    {
        const std::ptrdiff_t blocks = std::min<std::ptrdiff_t>(255, (end - begin) / 16);
        const char* const groupEnd = begin + 16 * blocks;
        __m128i lanes = _mm_setzero_si128();
        __m128i rare = _mm_setzero_si128();
        for (const char* at = begin; at != groupEnd; at += 16)
        {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, wanted));
            rare = _mm_or_si128(
                rare, _mm_or_si128(_mm_cmpeq_epi8(block, stops), _mm_cmpeq_epi8(block, flags)));
        }
        if (_mm_movemask_epi8(rare) != 0)
            break;
        counted += SumLanes(lanes);
        begin = groupEnd;
    }
#endif
    const char* const stopAt = FindByte(begin, end, stop);
    if (FindByte(begin, stopAt, flag) != stopAt)
        flagged = true;
    const char* ignored = nullptr;
    counted += CountByte(begin, stopAt, value, ignored);
    if (counted != 0)
        afterLast = AfterLast(start, stopAt, value);
    count += counted;
    return stopAt;
}

// The first byte of [begin, end) that is neither a blank nor a tab, or end: the indent of a line,
// which in most files is several blanks long.
inline const char* SkipBlanks(const char* begin, const char* end)
{
#if ORVA_SSE2
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8('\t');
    for (; end - begin >= 16; begin += 16)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin));
        const auto blanks = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(block, blank), _mm_cmpeq_epi8(block, tab))));
        if (blanks != 0xFFFFu)
            return begin + __builtin_ctz(~blanks);
    }
#endif
    while (begin != end && (*begin == ' ' || *begin == '\t'))
        ++begin;
    return begin;
}

} // namespace Driver

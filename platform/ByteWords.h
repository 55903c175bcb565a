// Eight bytes at a time in a 64-bit word, for the portable scans: WebAssembly and every 64-bit
// processor handle such a word natively, where a loop over single bytes costs a step a byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Platform
{
namespace Words
{

constexpr std::size_t kSize = sizeof(std::uint64_t);

inline std::uint64_t Load(const void* at)
{
    std::uint64_t word = 0;
    std::memcpy(&word, at, kSize);
    return word;
}

// Every byte of the word equal to value.
inline std::uint64_t Repeated(unsigned char value)
{
    return 0x0101010101010101u * value;
}

// Bit 7 of each byte of word that is zero, and no other bit: the sum stays within each byte, so
// unlike the usual quicker test it marks no byte after a zero one.
inline std::uint64_t ZeroBytes(std::uint64_t word)
{
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Fu;
    return ~(((word & low7) + low7) | word | low7);
}

// The offset in memory of the first byte that ZeroBytes marked in a word with a mark.
inline std::size_t FirstMarked(std::uint64_t marks)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return static_cast<std::size_t>(__builtin_clzll(marks)) / 8;
#else
    return static_cast<std::size_t>(__builtin_ctzll(marks)) / 8;
#endif
}

// The bytes that ZeroBytes marked, as bits: bit k for the byte k in memory. Each mark, moved to
// bit 0 of its byte, is copied by the product to bit 56 + k, where no other copy and no carry
// lands.
inline unsigned MarkedBytes(std::uint64_t marks)
{
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    marks = __builtin_bswap64(marks);
#endif
    return static_cast<unsigned>(((marks >> 7) * 0x0102040810204080u) >> 56);
}

} // namespace Words
} // namespace Platform

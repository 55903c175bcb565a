// The one reading and writing of UTF-8 sequences, shared by every coder of UTF-8 in the project:
// the plug-in's decoder of files marked as UTF-8 and the host's of its own texts, which put U+FFFD
// for a malformed sequence, the file names of POSIX, which keep each byte of one instead, and the
// host's encoder of wide text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Platform
{

struct CUtf8Sequence
{
    // The code point; meaningful only when valid.
    std::uint32_t code = 0;
    // The bytes read: the whole sequence when it is valid, else its maximal ill-formed part (the
    // lead and the continuation bytes that fit it), at least 1.
    std::size_t length = 1;
    bool valid = false;
};

// The sequence that starts at at, before end (at < end). Overlong forms, surrogates and values
// past U+10FFFF are ill-formed, as the first continuation byte's range after each lead excludes
// them.
inline CUtf8Sequence ReadUtf8Sequence(const unsigned char* at, const unsigned char* end)
{
    CUtf8Sequence sequence;
    const unsigned char lead = *at;
    if (lead < 0x80)
    {
        sequence.code = lead;
        sequence.valid = true;
        return sequence;
    }
    int continuations = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        continuations = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        continuations = 2;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        continuations = 3;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    else
        return sequence;
    std::uint32_t code = lead & (0x3Fu >> continuations);
    for (int n = 0; n < continuations; ++n)
    {
        const unsigned char* next = at + 1 + n;
        if (next == end || *next < (n == 0 ? low : 0x80) || *next > (n == 0 ? high : 0xBF))
            return sequence;
        code = (code << 6) | (*next & 0x3Fu);
        ++sequence.length;
    }
    sequence.code = code;
    sequence.valid = true;
    return sequence;
}

// Appends the UTF-8 of the code point c, which the caller has checked to be one (not a surrogate,
// not past U+10FFFF).
inline void AppendUtf8(std::string& out, std::uint32_t c)
{
    if (c < 0x80)
        out += static_cast<char>(c);
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace Platform

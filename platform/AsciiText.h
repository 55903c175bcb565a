// Both decoders of the thread's code page start the same way: every code page they meet reads
// bytes below 0x80 as ASCII, and nearly every line of a file is made of them only.
#pragma once

#include <cstddef>

namespace Platform
{

// Widens size bytes into out as they are, in a loop the compiler vectorises. True when every byte
// was ASCII, so that out is the decoded line; otherwise it is to be decoded again.
inline bool WidenAscii(const char* bytes, std::size_t size, wchar_t* out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    unsigned char any = 0;
    for (std::size_t i = 0; i < size; ++i)
    {
        out[i] = in[i];
        any |= in[i];
    }
    return any < 0x80;
}

} // namespace Platform

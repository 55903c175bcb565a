// File names on POSIX are bytes, in whatever encoding the creator of the file chose, while the
// reader and its hosts name files with wide text. The mapping between the two loses nothing: a
// name's valid UTF-8 is decoded, and each byte that is not part of valid UTF-8 stands for itself
// as a character in U+DC80..U+DCFF (the lone low surrogates, which no valid UTF-8 decodes to).
// Every byte string thus comes back from its wide name unchanged, whatever its encoding. Built on
// POSIX only, where wchar_t holds a whole code point.
#pragma once

#include <string>
#include <string_view>

namespace Platform
{

// The wide name of a file named by these bytes. Never fails; throws only for want of memory.
std::wstring DecodeFileName(std::string_view bytes);

// The bytes of the file with this wide name: U+DC80..U+DCFF each give back the byte they stand
// for, every other character its UTF-8. False, with bytes unspecified, for a character that no
// name holds: any other surrogate, or one past U+10FFFF. Throws only for want of memory.
bool EncodeFileName(std::wstring_view name, std::string& bytes);

} // namespace Platform

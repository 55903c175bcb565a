// Files that say what they are: a byte-order mark at the start names UTF-8 or UTF-16, which the
// driver decodes itself, the same on every platform, instead of through the thread's code page.
#pragma once

#include <cstddef>
#include <string>

namespace Driver
{

enum class TextEncoding
{
    ThreadCodePage,
    Utf8,
    Utf16LittleEndian,
    Utf16BigEndian
};

// The encoding that the file's first bytes declare, and the number of bytes of that mark (0
// when there is none).
TextEncoding DetectByteOrderMark(const char* bytes, std::size_t size, std::size_t& markSize);

// Replaces text with the characters of UTF-8 bytes. Each maximal ill-formed part of a sequence
// gives one U+FFFD, as Windows decodes; characters past U+FFFF become surrogate pairs where
// wchar_t has 16 bits.
void DecodeUtf8(const char* bytes, std::size_t size, std::wstring& text);

// Replaces text with the characters of `units` UTF-16 code units in the given byte order. Where
// wchar_t has 32 bits, pairs are joined and a lone surrogate gives U+FFFD; where it has 16 the
// units are taken as they are, as Windows takes them.
void DecodeUtf16(const char* bytes, std::size_t units, bool bigEndian, std::wstring& text);

} // namespace Driver

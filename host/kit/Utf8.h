// Conversion between the plug-in's wide strings and the UTF-8 this program reads and writes.
// wchar_t holds UTF-16 on Windows and UTF-32 elsewhere; both are handled by the same code.
#pragma once

#include <string>
#include <string_view>

namespace Host
{

// A null text gives an empty string. Unpaired surrogates and values beyond U+10FFFF become
// U+FFFD, so the result is always valid UTF-8.
std::string ToUtf8(std::wstring_view text);
std::string ToUtf8(const wchar_t* text);
// The same into out, whose room is kept for the next text.
void AssignUtf8(std::string& out, std::wstring_view text);
void AssignUtf8(std::string& out, const wchar_t* text);

// Malformed, overlong or truncated sequences become U+FFFD, one for each maximal ill-formed part
// of a sequence, as the plug-in decodes a UTF-8 file.
std::wstring FromUtf8(std::string_view text);

} // namespace Host

#include "platform/FileNames.h"

#include <cstdint>

namespace Platform
{
namespace
{

// The character that stands for a byte outside valid UTF-8, and back.
constexpr std::uint32_t kEscapeBase = 0xDC00;
constexpr std::uint32_t kFirstEscape = 0xDC80;
constexpr std::uint32_t kLastEscape = 0xDCFF;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the sequence a lead byte starts (0 for a byte that starts none), and the range
// its second byte must be in: narrower than a continuation's after the leads whose full range
// would allow overlong forms, surrogates or code points past U+10FFFF.
std::size_t SequenceLength(unsigned char lead, unsigned char& low, unsigned char& high)
{
    low = 0x80;
    high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
    {
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4)
    {
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
        return 4;
    }
    return 0;
}

// The length of the valid UTF-8 sequence at the start of [at, end), and its code point; 0 when
// none starts there.
std::size_t DecodeSequence(const unsigned char* at, const unsigned char* end, std::uint32_t& code)
{
    if (*at < 0x80)
    {
        code = *at;
        return 1;
    }
    unsigned char low = 0;
    unsigned char high = 0;
    const std::size_t length = SequenceLength(*at, low, high);
    if (length == 0 || static_cast<std::size_t>(end - at) < length || at[1] < low || at[1] > high)
        return 0;
    code = *at & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i)
    {
        if (!IsContinuation(at[i]))
            return 0;
        code = code << 6 | (at[i] & 0x3Fu);
    }
    return length;
}

void AppendUtf8(std::string& out, std::uint32_t c)
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

} // namespace

std::wstring DecodeFileName(std::string_view bytes)
{
    std::wstring name;
    name.reserve(bytes.size());
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = at + bytes.size();
    while (at != end)
    {
        std::uint32_t code = 0;
        const std::size_t length = DecodeSequence(at, end, code);
        if (length == 0)
        {
            // The bytes after a bad lead are continuations, which start no sequence either: each
            // is escaped on its own turn.
            name += static_cast<wchar_t>(kEscapeBase + *at);
            ++at;
            continue;
        }
        name += static_cast<wchar_t>(code);
        at += length;
    }
    return name;
}

bool EncodeFileName(std::wstring_view name, std::string& bytes)
{
    bytes.clear();
    bytes.reserve(name.size());
    for (const wchar_t character : name)
    {
        const auto c = static_cast<std::uint32_t>(character);
        if (c >= kFirstEscape && c <= kLastEscape)
            bytes += static_cast<char>(c - kEscapeBase);
        else if ((c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
            return false;
        else
            AppendUtf8(bytes, c);
    }
    return true;
}

} // namespace Platform

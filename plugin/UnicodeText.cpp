#include "plugin/UnicodeText.h"

#include "platform/Utf8.h"

#include <cstdint>

namespace Driver
{
namespace
{

constexpr wchar_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& text, std::uint32_t c)
{
    if (sizeof(wchar_t) == 2 && c > 0xFFFF)
    {
        c -= 0x10000;
        text.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        text.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    }
    else
        text.push_back(static_cast<wchar_t>(c));
}

std::uint16_t ReadUnit(const char* bytes, std::size_t index, bool bigEndian)
{
    const auto first = static_cast<unsigned char>(bytes[2 * index]);
    const auto second = static_cast<unsigned char>(bytes[2 * index + 1]);
    return static_cast<std::uint16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
}

} // namespace

TextEncoding DetectByteOrderMark(const char* bytes, std::size_t size, std::size_t& markSize)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
    {
        markSize = 3;
        return TextEncoding::Utf8;
    }
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE)
    {
        markSize = 2;
        return TextEncoding::Utf16LittleEndian;
    }
    if (size >= 2 && b[0] == 0xFE && b[1] == 0xFF)
    {
        markSize = 2;
        return TextEncoding::Utf16BigEndian;
    }
    markSize = 0;
    return TextEncoding::ThreadCodePage;
}

void DecodeUtf8(const char* bytes, std::size_t size, std::wstring& text)
{
    text.clear();
    text.reserve(size);
    const auto* at = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = at + size;
    while (at != end)
    {
        if (*at < 0x80)
        {
            text.push_back(static_cast<wchar_t>(*at++));
            continue;
        }
        const Platform::CUtf8Sequence sequence = Platform::ReadUtf8Sequence(at, end);
        if (sequence.valid)
            AppendCodePoint(text, sequence.code);
        else
            text.push_back(kReplacement);
        at += sequence.length;
    }
}

void DecodeUtf16(const char* bytes, std::size_t units, bool bigEndian, std::wstring& text)
{
    text.clear();
    text.reserve(units);
    for (std::size_t i = 0; i < units; ++i)
    {
        const std::uint16_t unit = ReadUnit(bytes, i, bigEndian);
        if (sizeof(wchar_t) == 2 || unit < 0xD800 || unit > 0xDFFF)
        {
            text.push_back(static_cast<wchar_t>(unit));
            continue;
        }
        if (unit <= 0xDBFF && i + 1 < units)
        {
            const std::uint16_t low = ReadUnit(bytes, i + 1, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF)
            {
                AppendCodePoint(text, 0x10000 + ((unit - 0xD800u) << 10) + (low - 0xDC00u));
                ++i;
                continue;
            }
        }
        text.push_back(kReplacement);
    }
}

} // namespace Driver

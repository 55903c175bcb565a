#include "host/kit/Utf8.h"

#include "platform/Utf8.h"
#include "plugin/UnicodeText.h"

#include <cstdint>

namespace Host
{
namespace
{

constexpr char32_t ReplacementCharacter = 0xFFFD;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c < 0xE000;
}

} // namespace

void AssignUtf8(std::string& out, std::wstring_view text)
{
    // Names, codes and dates are ASCII nearly always: such a run is copied as it is.
    std::size_t ascii = 0;
    while (ascii < text.size() && static_cast<std::uint32_t>(text[ascii]) < 0x80)
        ++ascii;
    out.resize(ascii);
    for (std::size_t i = 0; i < ascii; ++i)
        out[i] = static_cast<char>(text[i]);
    if (ascii == text.size())
        return;
    out.reserve(text.size());
    for (std::size_t i = ascii; i < text.size(); ++i)
    {
        // Through an unsigned type of the same width, so that a 32-bit wchar_t with the high bit
        // set is not sign-extended into a small value.
        using Unit = std::conditional_t<sizeof(wchar_t) == 2, char16_t, char32_t>;
        char32_t c = static_cast<Unit>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size())
        {
            char32_t low = static_cast<Unit>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (IsSurrogate(c) || c > 0x10FFFF)
            c = ReplacementCharacter;
        Platform::AppendUtf8(out, c);
    }
}

void AssignUtf8(std::string& out, const wchar_t* text)
{
    out.clear();
    if (!text)
        return;
    // The plug-in's texts are short ASCII nearly always: narrowed on the stack up to their null,
    // in the one pass that finds it.
    char narrow[64];
    std::size_t size = 0;
    for (; size < sizeof narrow && static_cast<std::uint32_t>(text[size]) - 1 < 0x7F; ++size)
        narrow[size] = static_cast<char>(text[size]);
    if (size < sizeof narrow && text[size] == L'\0')
        out.append(narrow, size);
    else
        AssignUtf8(out, std::wstring_view(text));
}

std::string ToUtf8(std::wstring_view text)
{
    std::string out;
    AssignUtf8(out, text);
    return out;
}

std::string ToUtf8(const wchar_t* text)
{
    return text ? ToUtf8(std::wstring_view(text)) : std::string();
}

std::wstring FromUtf8(std::string_view text)
{
    // The plug-in's own decoder, so that a text reads the same in the host as in a file.
    std::wstring out;
    Driver::DecodeUtf8(text.data(), text.size(), out);
    return out;
}

} // namespace Host

#include "tests/doubles/WideText.h"

#include <charconv>

namespace TestDoubles
{
namespace
{

void AppendUtf8(std::string& out, char32_t c)
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

void AppendWide(std::wstring& out, char32_t c)
{
    if (sizeof(wchar_t) == 2 && c >= 0x10000)
    {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
    else
        out += static_cast<wchar_t>(c);
}

} // namespace

std::string Utf8(const wchar_t* text)
{
    std::string out;
    if (!text)
        return "<null>";
    for (; *text; ++text)
    {
        char32_t c = static_cast<char32_t>(*text);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && text[1] >= 0xDC00 &&
            text[1] < 0xE000)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[1]) - 0xDC00);
            ++text;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring Wide(const std::string& utf8)
{
    std::wstring out;
    for (std::size_t i = 0; i < utf8.size();)
    {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        AppendWide(out, c);
        i += extra + 1;
    }
    return out;
}

std::string Number(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Number(float value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace TestDoubles

#include "platform/FileNames.h"

#include "platform/Utf8.h"

#include <cstdint>

namespace Platform
{
namespace
{

// The character that stands for a byte outside valid UTF-8, and back.
constexpr std::uint32_t kEscapeBase = 0xDC00;
constexpr std::uint32_t kFirstEscape = 0xDC80;
constexpr std::uint32_t kLastEscape = 0xDCFF;

} // namespace

std::wstring DecodeFileName(std::string_view bytes)
{
    std::wstring name;
    name.reserve(bytes.size());
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = at + bytes.size();
    while (at != end)
    {
        const CUtf8Sequence sequence = ReadUtf8Sequence(at, end);
        if (!sequence.valid)
        {
            // Only the lead goes: the bytes after it are continuations, which start no sequence
            // either, and are escaped each on its own turn.
            name += static_cast<wchar_t>(kEscapeBase + *at);
            ++at;
            continue;
        }
        name += static_cast<wchar_t>(sequence.code);
        at += sequence.length;
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

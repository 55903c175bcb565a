#include "platform/Platform.h"

#include "resources/MessageTable.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>

namespace Platform
{

bool LoadModuleString(std::int32_t id, std::wstring& text)
{
    for (std::size_t i = 0; i < Resources::MessageTableSize; ++i)
        if (Resources::MessageTable[i].Id == id)
        {
            text = Resources::MessageTable[i].Text;
            return true;
        }
    return false;
}

// The Windows layout: a 32-bit byte count, the characters, a zero character; the block starts at
// the count and comes from malloc, so a host frees it with free((char*)text - 4).
BSTR AllocateString(const wchar_t* text) noexcept
{
    if (!text)
        return nullptr;
    const std::size_t length = std::wcslen(text);
    if (length > (std::numeric_limits<std::uint32_t>::max() - sizeof(wchar_t)) / sizeof(wchar_t))
        return nullptr;
    const std::uint32_t bytes = static_cast<std::uint32_t>(length * sizeof(wchar_t));
    char* block = static_cast<char*>(std::malloc(sizeof bytes + bytes + sizeof(wchar_t)));
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    auto* characters = reinterpret_cast<wchar_t*>(block + sizeof bytes);
    std::wmemcpy(characters, text, length + 1);
    return characters;
}

void FreeString(BSTR text) noexcept
{
    if (text)
        std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

std::uint32_t StringByteLength(BSTR text) noexcept
{
    std::uint32_t bytes = 0;
    if (text)
        std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof bytes, sizeof bytes);
    return bytes;
}

} // namespace Platform

// The message texts of resources/Messages.inc as a table in the program's data, for platforms
// that have no string-table resources.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Resources
{

struct MessageEntry
{
    std::int32_t Id;
    const wchar_t* Text;
};

extern const MessageEntry MessageTable[];
extern const std::size_t MessageTableSize;

} // namespace Resources

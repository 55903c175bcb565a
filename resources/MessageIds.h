// Ids of the module's message table; each names exactly one entry of resources/Messages.inc.
#pragma once

#include <cstdint>

namespace MessageId
{
constexpr std::int32_t CannotOpenFile = 101;
constexpr std::int32_t PointNumberMissing = 104;
constexpr std::int32_t PointNameMissing = 105;
constexpr std::int32_t UnknownFormat = 106;
constexpr std::int32_t CannotParseLine = 107;
} // namespace MessageId

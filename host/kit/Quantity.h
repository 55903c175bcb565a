// The physical quantities that the plug-in converts through the host's unit converters.
#pragma once

#include <cstdint>

namespace Host
{

enum class Quantity
{
    Angle,
    Length,
    Temperature,
    Pressure
};

} // namespace Host

#include "host/kit/DisplayUnits.h"

#include "host/kit/Numbers.h"

#include <cmath>
#include <cstdio>

namespace Host
{
namespace
{

constexpr double Pi = 3.14159265358979323846;
constexpr double MetresPerInternationalFoot = 0.3048;

std::optional<double> Finite(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

const std::vector<std::pair<std::string, AngleDisplay>>& AngleDisplayNames()
{
    static const std::vector<std::pair<std::string, AngleDisplay>> names = {
        {"rad", AngleDisplay::Radians},
        {"deg", AngleDisplay::Degrees},
        {"gon", AngleDisplay::Gons},
        {"dms", AngleDisplay::DegreesMinutesSeconds}};
    return names;
}

const std::vector<std::pair<std::string, LengthDisplay>>& LengthDisplayNames()
{
    static const std::vector<std::pair<std::string, LengthDisplay>> names = {
        {"m", LengthDisplay::Metres},
        {"ft", LengthDisplay::InternationalFeet},
        {"usft", LengthDisplay::UsSurveyFeet}};
    return names;
}

const char* AngleUnitName(AngleDisplay angle)
{
    switch (angle)
    {
    case AngleDisplay::Radians:
        break;
    case AngleDisplay::Degrees:
        return "degrees";
    case AngleDisplay::Gons:
        return "gons";
    case AngleDisplay::DegreesMinutesSeconds:
        return "degrees, minutes and seconds";
    }
    return "radians";
}

const char* LengthUnitName(LengthDisplay length)
{
    switch (length)
    {
    case LengthDisplay::Metres:
        break;
    case LengthDisplay::InternationalFeet:
        return "international feet";
    case LengthDisplay::UsSurveyFeet:
        return "US survey feet";
    }
    return "metres";
}

std::optional<double> DisplayAngle(double radians, AngleDisplay angle)
{
    switch (angle)
    {
    case AngleDisplay::Radians:
        break;
    case AngleDisplay::Degrees:
    case AngleDisplay::DegreesMinutesSeconds:
        return Finite(radians * (180.0 / Pi));
    case AngleDisplay::Gons:
        return Finite(radians * (200.0 / Pi));
    }
    return Finite(radians);
}

std::optional<double> DisplayLength(double metres, LengthDisplay length)
{
    switch (length)
    {
    case LengthDisplay::Metres:
        break;
    case LengthDisplay::InternationalFeet:
        return Finite(metres / MetresPerInternationalFoot);
    case LengthDisplay::UsSurveyFeet:
        // 1 US survey foot is 1200/3937 m; the quotient first keeps the product in range.
        return Finite(metres / 1200.0 * 3937.0);
    }
    return Finite(metres);
}

CDms SplitDegrees(double degrees)
{
    CDms dms;
    dms.negative = std::signbit(degrees) && degrees != 0;
    const double magnitude = std::fabs(degrees);
    dms.degrees = std::floor(magnitude);
    const double minutes = (magnitude - dms.degrees) * 60.0;
    const double wholeMinutes = std::floor(minutes);
    dms.minutes = static_cast<int>(wholeMinutes < 59 ? wholeMinutes : 59);
    dms.seconds = (minutes - dms.minutes) * 60.0;
    if (dms.seconds < 0)
        dms.seconds = 0;
    return dms;
}

std::string DmsText(double degrees)
{
    const bool negative = std::signbit(degrees) && degrees != 0;
    const double magnitude = std::fabs(degrees);
    double whole = std::floor(magnitude);
    // Tenths of a second within the degree, so that rounding carries into minutes and degrees
    // instead of giving 60 seconds.
    double tenths = std::round((magnitude - whole) * 36000.0);
    if (tenths >= 36000.0)
    {
        whole += 1;
        tenths -= 36000.0;
    }
    const int t = static_cast<int>(tenths);
    char buffer[DmsTextRoom];
    std::snprintf(buffer, sizeof buffer, "%s%.0f\u00B0%02d\u2032%02d.%d\u2033",
                  negative && (whole != 0 || t != 0) ? "-" : "", whole, t / 600, t % 600 / 10,
                  t % 10);
    return buffer;
}

std::optional<std::string> WhyNotShown(const CDisplayUnits& units, Quantity quantity, double value)
{
    const bool angle = quantity == Quantity::Angle;
    if (!angle && quantity != Quantity::Length)
        return std::nullopt;
    if (ShowsEveryFiniteValue(units, quantity) && std::isfinite(value))
        return std::nullopt;
    if (angle ? DisplayAngle(value, units.angle) : DisplayLength(value, units.length))
        return std::nullopt;
    return NumberText(value) + (angle ? " radians" : " metres") + " cannot be written in " +
           (angle ? AngleUnitName(units.angle) : LengthUnitName(units.length));
}

} // namespace Host

// The units in which the outputs show angles and lengths (--angles, --lengths), and the values
// converted into them from the receiver's radians and metres. Any sink may use them: a number for
// each unit, and for degrees, minutes and seconds either their parts or one text.
#pragma once

#include "host/kit/Quantity.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

enum class AngleDisplay
{
    Radians,
    Degrees,
    Gons,
    DegreesMinutesSeconds
};

enum class LengthDisplay
{
    Metres,
    InternationalFeet,
    UsSurveyFeet
};

struct CDisplayUnits
{
    AngleDisplay angle = AngleDisplay::Radians;
    LengthDisplay length = LengthDisplay::Metres;
};

// The names by which a user chooses each unit ("rad", "deg", "gon", "dms"; "m", "ft", "usft"), as
// a host's option parser takes them.
const std::vector<std::pair<std::string, AngleDisplay>>& AngleDisplayNames();
const std::vector<std::pair<std::string, LengthDisplay>>& LengthDisplayNames();

// The units as the outputs name them: "radians", "degrees", "gons", "degrees, minutes and
// seconds"; "metres", "international feet", "US survey feet".
const char* AngleUnitName(AngleDisplay angle);
const char* LengthUnitName(LengthDisplay length);

// An angle in radians in the display unit; degrees for DegreesMinutesSeconds. Empty when the
// result would not be finite. The receiver's own units come back unchanged, bit for bit.
std::optional<double> DisplayAngle(double radians, AngleDisplay angle);
std::optional<double> DisplayLength(double metres, LengthDisplay length);

// Why a value in the receiver's units (radians for an angle, metres for a length) cannot be shown
// in the display unit of its quantity ("1e+308 metres cannot be written in international feet");
// empty when it can. Only angles and lengths have display units.
std::optional<std::string> WhyNotShown(const CDisplayUnits& units, Quantity quantity, double value);
// True when units show every finite value of quantity, as the receiver's own units do, so that
// WhyNotShown need not be asked about such a value.
inline bool ShowsEveryFiniteValue(const CDisplayUnits& units, Quantity quantity)
{
    return quantity == Quantity::Angle    ? units.angle == AngleDisplay::Radians
           : quantity == Quantity::Length ? units.length == LengthDisplay::Metres
                                          : true;
}

// An angle in degrees cut into whole degrees and minutes and the seconds left over, all of them
// not negative; negative tells the sign of the whole angle.
struct CDms
{
    bool negative = false;
    double degrees = 0;
    int minutes = 0;
    double seconds = 0;
};
CDms SplitDegrees(double degrees);

// The most bytes DmsText gives.
constexpr std::size_t DmsTextRoom = 400;

// The angle in degrees as D°MM′SS.s″, rounded to a tenth of a second, with "-" before a negative
// angle ("-12°30′15.0″").
std::string DmsText(double degrees);

} // namespace Host

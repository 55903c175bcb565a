// What an import delivers, assembled from the receiver's builder-style calls. Texts are UTF-8;
// values are in the receiver's units: radians, metres, degrees Celsius, hectopascals.
#pragma once

#include "host/kit/Quantity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

// One point, station or observation. Every setter of the receiver has its field here, so a value
// sent for a record of an unexpected kind is kept rather than lost; the outputs show the fields
// that were set.
struct CRecord
{
    std::string name;
    // The line the record was begun on, counted from 1; 0 when no line was being read.
    std::int64_t line = 0;
    std::optional<double> north;
    std::optional<double> east;
    std::optional<double> elevation;
    std::optional<std::int32_t> pointClass;
    std::optional<std::string> code;
    std::optional<std::string> date;
    std::optional<double> instrumentHeight;
    std::optional<double> verticalAngleOffset;
    std::optional<double> pressure;
    std::optional<double> temperature;
    std::optional<double> verticalAngle;
    std::optional<double> horizontalAngle;
    std::optional<double> reflectorHeight;
    std::optional<double> slopeDistance;

    // Empties the record as a new one would be, but for the room of its texts, which the next
    // record of an import takes over: a code or date too long to be held in the string itself
    // moves its room to spareCode or spareDate. A short one has no room worth keeping, and
    // moving it costs more than making it anew.
    void Clear(std::optional<std::string>& spareCode, std::optional<std::string>& spareDate)
    {
        name.clear();
        line = 0;
        north.reset();
        east.reset();
        elevation.reset();
        pointClass.reset();
        KeepRoom(code, spareCode);
        KeepRoom(date, spareDate);
        instrumentHeight.reset();
        verticalAngleOffset.reset();
        pressure.reset();
        temperature.reset();
        verticalAngle.reset();
        horizontalAngle.reset();
        reflectorHeight.reset();
        slopeDistance.reset();
    }

private:
    static void KeepRoom(std::optional<std::string>& text, std::optional<std::string>& spare)
    {
        if (text && text->capacity() > std::string().capacity())
            spare = std::move(text);
        text.reset();
    }
};

struct CMessage
{
    // The line counted from 1; empty for a message about the whole file.
    std::optional<std::int64_t> line;
    std::string text;
    // Sent through ReportFileError: the file could not be opened or was not recognised.
    bool fileError = false;
    // For a file error: why the system could not give the file, where the program found out;
    // the plug-in's text stays as it is.
    std::string cause = std::string();
};

// A value of the file that the host's converter could not read, which the plug-in then leaves
// out of its record.
struct CWarning
{
    // The line counted from 1; empty when no line was being read.
    std::optional<std::int64_t> line;
    std::string text;
};

// The plug-in asked for a converter: from this line on, the file's values of quantity are read
// in unitCode (a code of the host's factory, host/UnitConverters.h).
struct CUnitChoice
{
    Quantity quantity = Quantity::Angle;
    std::int32_t unitCode = 0;
    // The line counted from 1; empty for the choice made before the first line, the default.
    std::optional<std::int64_t> line;
};

// How a file writes its dates, as its UNITS section chose.
enum class DateOrder
{
    DayMonthYear,
    MonthDayYear,
    YearMonthDay,
    ModifiedJulianDay
};

// "DMY", "MDY", "YMD", "MJD", as the UNITS line names the order.
inline const char* DateOrderCode(DateOrder order)
{
    switch (order)
    {
    case DateOrder::DayMonthYear:
        break;
    case DateOrder::MonthDayYear:
        return "MDY";
    case DateOrder::YearMonthDay:
        return "YMD";
    case DateOrder::ModifiedJulianDay:
        return "MJD";
    }
    return "DMY";
}

// A settings line of the file that the reader passed over, changing nothing.
struct CIgnoredLine
{
    enum class Kind
    {
        HeaderSetting, // SEPARATOR or TERMINATOR with a value that cannot be read
        UnitLine       // a UNITS line of no known quantity and unit
    };
    Kind kind = Kind::UnitLine;
    std::int64_t line = 0; // counted from 1
    std::string text;      // trimmed
};

// What the reader saw of a file beyond its records, told by the reader that a program links into
// itself: the plug-in's interface has no call for it.
struct CFileSettings
{
    // In force at the end of the file.
    std::uint16_t separator = ',';
    std::uint16_t terminator = ';';
    DateOrder dateOrder = DateOrder::DayMonthYear;
    // Section paths ("HEADER/UNITS", "DATABASE/POINTS") in the order first opened.
    std::vector<std::string> sections;
    std::vector<CIgnoredLine> ignored;
};

} // namespace Host

// The host's own reading of a file's HEADER settings, for the summary of orva-import info: the
// separator, terminator and date order the file declares, the sections it opens and the HEADER
// lines that change nothing. It follows the nesting of sections and the rules of the keyword and
// unit lines as the plug-in reads them, on the bytes of the file (the keywords are ASCII), so
// that it needs neither the plug-in nor a code page. Units themselves are not taken from here:
// the converters the plug-in asks for tell them.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

enum class DateOrder
{
    DayMonthYear,
    MonthDayYear,
    YearMonthDay
};

struct CHeaderNote
{
    std::uint64_t line = 0; // from 1
    std::string text;
};

struct CHeaderSettings
{
    bool opened = false;
    // The settings in force at the end of the file.
    std::uint16_t separator = ',';
    std::uint16_t terminator = ';';
    DateOrder dateOrder = DateOrder::DayMonthYear;
    // Section paths ("HEADER/UNITS", "DATABASE/POINTS") in the order they were first opened.
    std::vector<std::string> sections;
    // Keyword and unit lines that change nothing, with their lines.
    std::vector<CHeaderNote> notUnderstood;
};

// Reads the file at path (UTF-8). opened is false when it cannot be read.
CHeaderSettings ReadHeaderSettings(const std::string& path);

// The same for a stream of the file's bytes, read a line at a time.
CHeaderSettings ReadHeaderSettings(std::istream& in);

// "DMY", "MDY", "YMD".
const char* DateOrderCode(DateOrder order);

} // namespace Host

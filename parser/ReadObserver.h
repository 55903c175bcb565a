// What a host may learn of the reading of one file beyond its records: the sections the file
// opens, the settings lines that change nothing, and the settings in force at its end. The parser
// reports facts only; wording them is the host's business.
#pragma once

#include <cstddef>
#include <string>

class IReadObserver
{
public:
    // How the dates of the file are written, as its UNITS section selects.
    enum class DateOrder
    {
        DayMonthYear, // the default
        MonthDayYear,
        YearMonthDay,
        ModifiedJulianDay
    };

    // Why a line was passed over.
    enum class IgnoredLine
    {
        // A HEADER line starting with SEPARATOR or TERMINATOR whose value cannot be read: not
        // exactly one value, or a character code that is no number.
        HeaderSetting,
        // A UNITS line other than one known quantity and one of its units.
        UnitLine
    };

    // A section is opened for the first time in this file. path holds the names of the sections
    // it is nested in and its own, from the top level down, joined by "/": "HEADER/UNITS",
    // "DATABASE/POINTS", "DATABASE/POINTS/THEMINFO". A section passed over is named by its head
    // before any "(", trimmed. Each path is told once, in the order first opened; the parser
    // drops the repeats.
    virtual void SectionOpened(const std::wstring& path) = 0;

    // A line that changes nothing, for the reason kind. lineIndex counts the file's lines from 0,
    // as IGroundDataReceiver::SetCurrentLine does; text is the line trimmed of blanks.
    virtual void LineIgnored(IgnoredLine kind, std::size_t lineIndex, const std::wstring& text) = 0;

    // Once the last line is read: the separator, terminator and date order in force at the end
    // of the file. Not told for a file that could not be opened.
    virtual void FileEnded(wchar_t separator, wchar_t terminator, DateOrder dateOrder) = 0;

    // Strings passed are valid for the call only. What an observer throws is caught and dropped
    // by the parser: the report is lost, the reading goes on unchanged.

protected:
    // Borrowed by the reader for one file: never destroyed through this interface.
    ~IReadObserver() = default;
};

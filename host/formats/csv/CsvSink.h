// The CSV output as a sink of the record stream: three tables, one row per record, each row
// written as its record arrives. Each table has a header row, RFC 4180 quoting and CRLF line
// ends:
//   points (file, name, north, east, elevation, class, code),
//   stations (file, setup, name, instrument_height, temperature, pressure) and
//   observations (file, setup, station, target, code, horizontal_angle, vertical_angle,
//   slope_distance, reflector_height, date, vertical_angle_offset).
// "setup" numbers the stations of a file from 1 and is empty for observations made before the
// first station. A value that a record's table has no column for (an instrument height sent for
// a point) goes to a fourth table, extra_values (file, table, record, name, field, value):
// "table" is points, stations or observations, "record" numbers that table's rows of the file
// from 1 (for stations the setup), "field" is the name JSON gives the value.
// Angles and lengths are in the display units; degrees, minutes and seconds as the text
// D°MM′SS.s″.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/RecordSink.h"

#include <memory>
#include <optional>
#include <string>

namespace Host
{

enum class CsvTable
{
    Points,
    Stations,
    Observations,
    ExtraValues
};

// The header row of a table.
void WriteCsvHeader(CsvTable table, IByteSink& out);

class CCsvSink final : public IRecordSink
{
public:
    // The tables' rows go to the sinks, which are borrowed; a null sink leaves its table out.
    CCsvSink(IByteSink* points, IByteSink* stations, IByteSink* observations,
             IByteSink* extraValues = nullptr, const CDisplayUnits& units = {});

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage&) override {}
    void EndFile(bool) override { Flush(); }

    void Flush();

    struct CAngle;
    struct CLength;

private:
    CAngle Angle(const std::optional<double>& radians) const;
    CLength Length(const std::optional<double>& metres) const;

    CDisplayUnits m_units;
    std::unique_ptr<CBufferedWriter> m_points;
    std::unique_ptr<CBufferedWriter> m_stations;
    std::unique_ptr<CBufferedWriter> m_observations;
    std::unique_ptr<CBufferedWriter> m_extraValues;
    std::size_t m_point = 0;
    std::size_t m_observation = 0;

    void ExtraValues(const CRecord& record, CsvTable table, std::size_t number);
    // The file's path as a field, quoted once for all its rows.
    std::string m_file;
};

// One CSV field appended: quoted when it holds a comma, a quotation mark, CR or LF, with the
// quotation marks doubled.
void AppendCsvField(std::string& out, const std::string& text);

} // namespace Host

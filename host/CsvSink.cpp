#include "host/CsvSink.h"

#include <charconv>
#include <cstring>
#include <optional>

namespace Host
{

// A value and the unit to show it in.
struct CCsvSink::CAngle
{
    const std::optional<double>& radians;
    AngleDisplay unit;
};

struct CCsvSink::CLength
{
    const std::optional<double>& metres;
    LengthDisplay unit;
};

namespace
{

using CAngle = CCsvSink::CAngle;
using CLength = CCsvSink::CLength;

// Empty fields are values the file did not give.
void Append(std::string& out, const std::optional<double>& value)
{
    if (!value)
        return;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, *value);
    out.append(buffer, result.ptr);
}

void Append(std::string& out, const std::optional<std::int32_t>& value)
{
    if (value)
        out += std::to_string(*value);
}

void Append(std::string& out, const std::optional<std::string>& value)
{
    if (value)
        AppendCsvField(out, *value);
}

void Append(std::string& out, std::size_t number)
{
    out += std::to_string(number);
}

// A value too large for the display unit stays empty, as JSON shows it null.
void Append(std::string& out, const CAngle& angle)
{
    if (!angle.radians)
        return;
    std::optional<double> shown = DisplayAngle(*angle.radians, angle.unit);
    if (shown && angle.unit == AngleDisplay::DegreesMinutesSeconds)
        out += DmsText(*shown);
    else
        Append(out, shown);
}

void Append(std::string& out, const CLength& length)
{
    if (length.metres)
        Append(out, DisplayLength(*length.metres, length.unit));
}

template <class First, class... Rest>
void Row(std::string& out, const First& first, const Rest&... rest)
{
    Append(out, first);
    ((out += ',', Append(out, rest)), ...);
    out += "\r\n";
}

std::unique_ptr<CBufferedWriter> WriterFor(IByteSink* sink)
{
    return sink ? std::make_unique<CBufferedWriter>(*sink) : nullptr;
}

} // namespace

void AppendCsvField(std::string& out, const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
    {
        out += text;
        return;
    }
    out += '"';
    for (char c : text)
    {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void WriteCsvHeader(CsvTable table, IByteSink& out)
{
    const char* header = "";
    switch (table)
    {
    case CsvTable::Points:
        header = "file,name,north,east,elevation,class,code\r\n";
        break;
    case CsvTable::Stations:
        header = "file,setup,name,instrument_height,temperature,pressure\r\n";
        break;
    case CsvTable::Observations:
        header = "file,setup,station,target,code,horizontal_angle,vertical_angle,slope_distance,"
                 "reflector_height,date,vertical_angle_offset\r\n";
        break;
    }
    out.Write(header, std::strlen(header));
}

CCsvSink::CCsvSink(IByteSink* points, IByteSink* stations, IByteSink* observations,
                   const CDisplayUnits& units)
    : m_units(units), m_points(WriterFor(points)), m_stations(WriterFor(stations)),
      m_observations(WriterFor(observations))
{
}

void CCsvSink::BeginFile(const std::string& path)
{
    m_file.clear();
    AppendCsvField(m_file, path);
}

void CCsvSink::Point(const CRecord& point)
{
    if (!m_points)
        return;
    std::string& out = m_points->Text();
    out += m_file;
    out += ',';
    AppendCsvField(out, point.name);
    out += ',';
    Row(out, Length(point.north), Length(point.east), Length(point.elevation), point.pointClass,
        point.code);
    m_points->Commit();
}

void CCsvSink::Station(const CRecord& station, std::size_t setup)
{
    if (!m_stations)
        return;
    std::string& out = m_stations->Text();
    out += m_file;
    out += ',';
    Append(out, setup);
    out += ',';
    AppendCsvField(out, station.name);
    out += ',';
    Row(out, Length(station.instrumentHeight), station.temperature, station.pressure);
    m_stations->Commit();
}

void CCsvSink::Observation(const CRecord& observation, const CRecord* station, std::size_t setup)
{
    if (!m_observations)
        return;
    std::string& out = m_observations->Text();
    out += m_file;
    out += ',';
    if (station)
    {
        Append(out, setup);
        out += ',';
        AppendCsvField(out, station->name);
    }
    else
        out += ',';
    out += ',';
    AppendCsvField(out, observation.name);
    out += ',';
    Row(out, observation.code, Angle(observation.horizontalAngle), Angle(observation.verticalAngle),
        Length(observation.slopeDistance), Length(observation.reflectorHeight), observation.date,
        Angle(observation.verticalAngleOffset));
    m_observations->Commit();
}

CAngle CCsvSink::Angle(const std::optional<double>& radians) const
{
    return {radians, m_units.angle};
}

CLength CCsvSink::Length(const std::optional<double>& metres) const
{
    return {metres, m_units.length};
}

void CCsvSink::Flush()
{
    for (CBufferedWriter* writer : {m_points.get(), m_stations.get(), m_observations.get()})
        if (writer)
            writer->Flush();
}

} // namespace Host

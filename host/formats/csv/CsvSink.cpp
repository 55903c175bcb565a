#include "host/formats/csv/CsvSink.h"

#include "host/kit/Numbers.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

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

bool NeedsQuotes(char c)
{
    return c == ',' || c == '"' || c == '\r' || c == '\n';
}

// The quoted field of a text that needs quotes, at out: RFC 4180, quotation marks doubled.
char* WriteQuotedField(char* out, std::string_view text)
{
    *out++ = '"';
    for (char c : text)
    {
        if (c == '"')
            *out++ = '"';
        *out++ = c;
    }
    *out++ = '"';
    return out;
}

// The rows of every table, written through a pointer into room made for the whole row at once:
// rows are nearly all of the output, and each append to the string is a call that checks its
// room, which costs more than most pieces it adds. Each value's room is the most its text takes.
// Empty fields are values the file did not give; a value too large for the display unit stays
// empty, as JSON shows it null.
class CRowWriter
{
public:
    // A text written as it is (the file's path, quoted once for all its rows; a name of ours).
    struct CRaw
    {
        std::string_view text;
    };
    // A text quoted as a field needs; empty when absent.
    struct CField
    {
        const std::string* text;
    };

    template <class... Values> static void Row(CBufferedWriter& out, const Values&... values)
    {
        CRowWriter row(out.Reserve((Room(values) + ...) + sizeof...(values) + 2));
        bool first = true;
        ((row.Separate(first), row.Put(values)), ...);
        row.Put(CRaw{"\r\n"});
        out.Wrote(row.m_at);
        out.Commit();
    }

private:
    explicit CRowWriter(char* at) : m_at(at) {}

    static std::size_t FieldRoom(const std::string& text) { return 2 * text.size() + 2; }
    static std::size_t Room(const CRaw& raw) { return raw.text.size(); }
    static std::size_t Room(const CField& field) { return field.text ? FieldRoom(*field.text) : 0; }
    static std::size_t Room(const std::optional<std::string>& text)
    {
        return text ? FieldRoom(*text) : 0;
    }
    static std::size_t Room(const std::optional<double>&) { return NumberRoom; }
    static std::size_t Room(const std::optional<std::int32_t>&) { return 11; }
    static std::size_t Room(const std::optional<std::size_t>&) { return 20; }
    static std::size_t Room(const CAngle& angle)
    {
        return angle.unit == AngleDisplay::DegreesMinutesSeconds ? DmsTextRoom : NumberRoom;
    }
    static std::size_t Room(const CLength&) { return NumberRoom; }

    void Separate(bool& first)
    {
        if (!first)
            *m_at++ = ',';
        first = false;
    }

    void Copy(std::string_view text)
    {
        std::memcpy(m_at, text.data(), text.size());
        m_at += text.size();
    }

    void Put(const CRaw& raw) { Copy(raw.text); }
    void Put(const CField& field)
    {
        if (field.text)
            Field(*field.text);
    }
    void Put(const std::optional<std::string>& text)
    {
        if (text)
            Field(*text);
    }
    void Put(const std::optional<double>& value)
    {
        if (value)
            m_at = WriteNumber(m_at, *value);
    }
    template <class Integer> void Put(const std::optional<Integer>& value)
    {
        if (value)
            m_at = std::to_chars(m_at, m_at + 20, *value).ptr;
    }
    void Put(const CAngle& angle)
    {
        if (!angle.radians)
            return;
        const std::optional<double> shown = DisplayAngle(*angle.radians, angle.unit);
        if (shown && angle.unit == AngleDisplay::DegreesMinutesSeconds)
            Copy(DmsText(*shown));
        else
            Put(shown);
    }
    void Put(const CLength& length)
    {
        if (length.metres)
            Put(DisplayLength(*length.metres, length.unit));
    }

    void Field(const std::string& text)
    {
        if (std::none_of(text.begin(), text.end(), NeedsQuotes))
            Copy(text);
        else
            m_at = WriteQuotedField(m_at, text);
    }

    char* m_at;
};

// Which tables have a column of their own for a field.
constexpr unsigned InPoints = 1;
constexpr unsigned InStations = 2;
constexpr unsigned InObservations = 4;

unsigned TableBit(CsvTable table)
{
    switch (table)
    {
    case CsvTable::Points:
        return InPoints;
    case CsvTable::Stations:
        return InStations;
    default:
        return InObservations;
    }
}

const char* TableName(CsvTable table)
{
    switch (table)
    {
    case CsvTable::Points:
        return "points";
    case CsvTable::Stations:
        return "stations";
    default:
        return "observations";
    }
}

// Calls visit(field name, tables with a column for it, value) for each field of the record, in
// the order JSON gives them.
template <class Visit> void VisitFields(const CRecord& r, Visit&& visit)
{
    visit("code", InPoints | InObservations, r.code);
    visit("north", InPoints, r.north);
    visit("east", InPoints, r.east);
    visit("elevation", InPoints, r.elevation);
    visit("class", InPoints, r.pointClass);
    visit("instrument_height", InStations, r.instrumentHeight);
    visit("temperature", InStations, r.temperature);
    visit("pressure", InStations, r.pressure);
    visit("horizontal_angle", InObservations, r.horizontalAngle);
    visit("vertical_angle", InObservations, r.verticalAngle);
    visit("slope_distance", InObservations, r.slopeDistance);
    visit("reflector_height", InObservations, r.reflectorHeight);
    visit("date", InObservations, r.date);
    visit("vertical_angle_offset", InObservations, r.verticalAngleOffset);
}

bool IsAngleField(const char* field)
{
    return std::strstr(field, "angle") != nullptr;
}

bool IsLengthField(const char* field)
{
    for (const char* length :
         {"north", "east", "elevation", "instrument_height", "slope_distance", "reflector_height"})
        if (std::strcmp(field, length) == 0)
            return true;
    return false;
}

std::unique_ptr<CBufferedWriter> WriterFor(IByteSink* sink)
{
    return sink ? std::make_unique<CBufferedWriter>(*sink) : nullptr;
}

} // namespace

void AppendCsvField(std::string& out, const std::string& text)
{
    // A plain loop: find_first_of asks the library once for every character of the text.
    if (std::none_of(text.begin(), text.end(), NeedsQuotes))
    {
        out += text;
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + 2 * text.size() + 2);
    out.resize(static_cast<std::size_t>(WriteQuotedField(&out[start], text) - out.data()));
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
    case CsvTable::ExtraValues:
        header = "file,table,record,name,field,value\r\n";
        break;
    }
    out.Write(header, std::strlen(header));
}

CCsvSink::CCsvSink(IByteSink* points, IByteSink* stations, IByteSink* observations,
                   IByteSink* extraValues, const CDisplayUnits& units)
    : m_units(units), m_points(WriterFor(points)), m_stations(WriterFor(stations)),
      m_observations(WriterFor(observations)), m_extraValues(WriterFor(extraValues))
{
}

void CCsvSink::BeginFile(const std::string& path)
{
    m_file.clear();
    AppendCsvField(m_file, path);
    m_point = 0;
    m_observation = 0;
}

void CCsvSink::ExtraValues(const CRecord& record, CsvTable table, std::size_t number)
{
    if (!m_extraValues)
        return;
    const unsigned bit = TableBit(table);
    VisitFields(record,
                [&](const char* field, unsigned tables, const auto& value)
                {
                    if ((tables & bit) || !value)
                        return;
                    const auto row = [&](const auto& shown)
                    {
                        CRowWriter::Row(
                            *m_extraValues, CRowWriter::CRaw{m_file},
                            CRowWriter::CRaw{TableName(table)}, std::optional<std::size_t>(number),
                            CRowWriter::CField{&record.name}, CRowWriter::CRaw{field}, shown);
                    };
                    // In the display units, as the value would be in its own table.
                    using Value = std::decay_t<decltype(value)>;
                    if constexpr (std::is_same_v<Value, std::optional<double>>)
                    {
                        if (IsAngleField(field))
                            row(Angle(value));
                        else if (IsLengthField(field))
                            row(Length(value));
                        else
                            row(value);
                    }
                    else
                        row(value);
                });
}

void CCsvSink::Point(const CRecord& point)
{
    ExtraValues(point, CsvTable::Points, ++m_point);
    if (!m_points)
        return;
    CRowWriter::Row(*m_points, CRowWriter::CRaw{m_file}, CRowWriter::CField{&point.name},
                    Length(point.north), Length(point.east), Length(point.elevation),
                    point.pointClass, point.code);
}

void CCsvSink::Station(const CRecord& station, std::size_t setup)
{
    ExtraValues(station, CsvTable::Stations, setup);
    if (!m_stations)
        return;
    CRowWriter::Row(*m_stations, CRowWriter::CRaw{m_file}, std::optional<std::size_t>(setup),
                    CRowWriter::CField{&station.name}, Length(station.instrumentHeight),
                    station.temperature, station.pressure);
}

void CCsvSink::Observation(const CRecord& observation, const CRecord* station, std::size_t setup)
{
    ExtraValues(observation, CsvTable::Observations, ++m_observation);
    if (!m_observations)
        return;
    CRowWriter::Row(*m_observations, CRowWriter::CRaw{m_file},
                    station ? std::optional<std::size_t>(setup) : std::nullopt,
                    CRowWriter::CField{station ? &station->name : nullptr},
                    CRowWriter::CField{&observation.name}, observation.code,
                    Angle(observation.horizontalAngle), Angle(observation.verticalAngle),
                    Length(observation.slopeDistance), Length(observation.reflectorHeight),
                    observation.date, Angle(observation.verticalAngleOffset));
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
    for (CBufferedWriter* writer :
         {m_points.get(), m_stations.get(), m_observations.get(), m_extraValues.get()})
        if (writer)
            writer->Flush();
}

} // namespace Host

#include "host/formats/geojson/GeoJsonSink.h"

#include "host/formats/json/JsonText.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/Utf8.h"

#include <optional>

namespace Host
{
namespace
{

// Coordinates are the job's grid as the receiver keeps it, in metres.
void AppendLength(std::string& out, double metres)
{
    AppendJsonNumber(out, metres);
}

void Key(std::string& out, const char* key)
{
    out += ", \"";
    out += key;
    out += "\": ";
}

void Property(std::string& out, const char* key, const std::string& value)
{
    Key(out, key);
    AppendJsonString(out, value);
}

void Property(std::string& out, const char* key, const std::optional<std::string>& value)
{
    if (value)
        Property(out, key, *value);
}

void Property(std::string& out, const char* key, const std::optional<std::int32_t>& value)
{
    if (!value)
        return;
    Key(out, key);
    out += std::to_string(*value);
}

void Property(std::string& out, const char* key, std::size_t value)
{
    Key(out, key);
    out += std::to_string(value);
}

void Property(std::string& out, const char* key, const std::optional<double>& value,
              void (*append)(std::string&, double))
{
    if (!value)
        return;
    Key(out, key);
    append(out, *value);
}

void AppendJsonLength(std::string& out, double metres, LengthDisplay unit)
{
    if (const std::optional<double> shown = DisplayLength(metres, unit))
        AppendJsonNumber(out, *shown);
    else
        out += "null";
}

// Degrees, minutes and seconds as the JSON document's object, on one line.
void AppendJsonAngle(std::string& out, double radians, AngleDisplay unit)
{
    const std::optional<double> shown = DisplayAngle(radians, unit);
    if (!shown)
        out += "null";
    else if (unit != AngleDisplay::DegreesMinutesSeconds)
        AppendJsonNumber(out, *shown);
    else
    {
        CJsonWriter dms(out);
        WriteDmsObject(dms, *shown);
    }
}

// A value of a property in the display units, as the JSON document writes it: null when it
// cannot be written in them.
void LengthProperty(std::string& out, const char* key, const std::optional<double>& metres,
                    LengthDisplay unit)
{
    if (!metres)
        return;
    Key(out, key);
    AppendJsonLength(out, *metres, unit);
}

void AngleProperty(std::string& out, const char* key, const std::optional<double>& radians,
                   AngleDisplay unit)
{
    if (!radians)
        return;
    Key(out, key);
    AppendJsonAngle(out, *radians, unit);
}

void AppendPosition(std::string& out, const CPosition& position, bool withElevation)
{
    out += '[';
    AppendLength(out, position.east);
    out += ", ";
    AppendLength(out, position.north);
    if (withElevation && position.elevation)
    {
        out += ", ";
        AppendLength(out, *position.elevation);
    }
    out += ']';
}

// A feature is FeatureStart, its geometry, PropertiesStart, its other properties, FeatureEnd.
void FeatureStart(std::string& out)
{
    out += ",\n{\"type\": \"Feature\", \"geometry\": ";
}

// Every feature says what it is and which file it came from.
void PropertiesStart(std::string& out, const char* kind, const std::string& file)
{
    out += ", \"properties\": {\"kind\": \"";
    out += kind;
    out += "\", \"file\": ";
    out += file;
}

void FeatureEnd(std::string& out)
{
    out += "}}";
}

void PointGeometry(std::string& out, const CPosition& position)
{
    out += "{\"type\": \"Point\", \"coordinates\": ";
    AppendPosition(out, position, true);
    out += '}';
}

// Both ends have an elevation or neither does, as every position of a geometry has the same
// number of coordinates.
void LineGeometry(std::string& out, const CPosition& from, const CPosition& to)
{
    const bool elevations = from.elevation && to.elevation;
    out += "{\"type\": \"LineString\", \"coordinates\": [";
    AppendPosition(out, from, elevations);
    out += ", ";
    AppendPosition(out, to, elevations);
    out += "]}";
}

} // namespace

void WriteGeoJsonDocumentStart(IByteSink& out)
{
    static const char start[] = "{\n\"type\": \"FeatureCollection\",\n\"features\": [";
    out.Write(start, sizeof start - 1);
}

void WriteGeoJsonDocumentEnd(IByteSink& out)
{
    static const char end[] = "\n]\n}\n";
    out.Write(end, sizeof end - 1);
}

void CFirstSeparatorDropped::Write(const char* data, std::size_t size)
{
    if (!m_dropped && size > 0)
    {
        m_dropped = true;
        ++data;
        --size;
    }
    m_out.Write(data, size);
}

void CGeoJsonSink::BeginFile(const std::string& path)
{
    m_file.clear();
    // A path from the command line may hold bytes that are not UTF-8, which JSON cannot carry.
    AppendJsonString(m_file, ToUtf8(FromUtf8(path)));
    m_positions.Clear();
    m_waiting.clear();
}

void CGeoJsonSink::Point(const CRecord& point)
{
    std::optional<CPosition> position = PositionOf(point);
    if (!position)
        return;
    m_positions.Add(point.name, *position);
    std::string& out = m_out.Text();
    FeatureStart(out);
    PointGeometry(out, *position);
    PropertiesStart(out, "point", m_file);
    Property(out, "name", point.name);
    Property(out, "code", point.code);
    Property(out, "class", point.pointClass);
    FeatureEnd(out);
    m_out.Commit();
}

bool CGeoJsonSink::WriteStation(const CRecord& station, std::size_t setup)
{
    const CPosition* position = m_positions.Find(station.name);
    if (!position)
        return false;
    std::string& out = m_out.Text();
    FeatureStart(out);
    PointGeometry(out, *position);
    PropertiesStart(out, "station", m_file);
    Property(out, "setup", setup);
    Property(out, "name", station.name);
    LengthProperty(out, "instrument_height", station.instrumentHeight, m_units.length);
    Property(out, "temperature", station.temperature, AppendJsonNumber);
    Property(out, "pressure", station.pressure, AppendJsonNumber);
    FeatureEnd(out);
    m_out.Commit();
    return true;
}

bool CGeoJsonSink::WriteObservation(const CRecord& observation, const std::string& station,
                                    std::size_t setup)
{
    const CPosition* from = m_positions.Find(station);
    const CPosition* to = m_positions.Find(observation.name);
    if (!from || !to)
        return false;
    std::string& out = m_out.Text();
    FeatureStart(out);
    LineGeometry(out, *from, *to);
    PropertiesStart(out, "observation", m_file);
    Property(out, "setup", setup);
    Property(out, "station", station);
    Property(out, "target", observation.name);
    Property(out, "code", observation.code);
    AngleProperty(out, "horizontal_angle", observation.horizontalAngle, m_units.angle);
    AngleProperty(out, "vertical_angle", observation.verticalAngle, m_units.angle);
    LengthProperty(out, "slope_distance", observation.slopeDistance, m_units.length);
    LengthProperty(out, "reflector_height", observation.reflectorHeight, m_units.length);
    Property(out, "date", observation.date);
    AngleProperty(out, "vertical_angle_offset", observation.verticalAngleOffset, m_units.angle);
    FeatureEnd(out);
    m_out.Commit();
    return true;
}

void CGeoJsonSink::Station(const CRecord& station, std::size_t setup)
{
    if (!WriteStation(station, setup))
        m_waiting.push_back({station, std::string(), setup, false});
}

void CGeoJsonSink::Observation(const CRecord& observation, const CRecord* station,
                               std::size_t setup)
{
    // Made before the first station, it has no point to start from.
    if (!station)
        return;
    if (!WriteObservation(observation, station->name, setup))
        m_waiting.push_back({observation, station->name, setup, true});
}

void CGeoJsonSink::EndFile(bool)
{
    for (const CWaiting& waiting : m_waiting)
    {
        if (waiting.observation)
            WriteObservation(waiting.record, waiting.station, waiting.setup);
        else
            WriteStation(waiting.record, waiting.setup);
    }
    m_waiting.clear();
    m_positions.Clear();
    m_out.Flush();
}

} // namespace Host

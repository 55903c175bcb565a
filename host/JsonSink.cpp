#include "host/JsonSink.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <optional>

namespace Host
{
namespace
{

void Indent(std::string& out, int indent)
{
    out.append(static_cast<std::size_t>(indent), ' ');
}

void Key(std::string& out, int indent, const char* key)
{
    out += ",\n";
    Indent(out, indent);
    out += '"';
    out += key;
    out += "\": ";
}

void Field(std::string& out, int indent, const char* key, const std::optional<double>& value)
{
    if (!value)
        return;
    Key(out, indent, key);
    AppendJsonNumber(out, *value);
}

void Field(std::string& out, int indent, const char* key, const std::optional<std::int32_t>& value)
{
    if (!value)
        return;
    Key(out, indent, key);
    out += std::to_string(*value);
}

void Field(std::string& out, int indent, const char* key, const std::optional<std::string>& value)
{
    if (!value)
        return;
    Key(out, indent, key);
    AppendJsonString(out, *value);
}

void AppendDms(std::string& out, int indent, double degrees)
{
    const CDms dms = SplitDegrees(degrees);
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", dms.degrees);
    out += "{\n";
    Indent(out, indent + 2);
    out += "\"negative\": ";
    out += dms.negative ? "true" : "false";
    Key(out, indent + 2, "degrees");
    out += whole;
    Key(out, indent + 2, "minutes");
    out += std::to_string(dms.minutes);
    Key(out, indent + 2, "seconds");
    AppendJsonNumber(out, dms.seconds);
    out += '\n';
    Indent(out, indent);
    out += '}';
}

void AngleField(std::string& out, int indent, const char* key, const std::optional<double>& value,
                AngleDisplay unit)
{
    if (!value)
        return;
    Key(out, indent, key);
    std::optional<double> shown = DisplayAngle(*value, unit);
    if (!shown)
        out += "null";
    else if (unit == AngleDisplay::DegreesMinutesSeconds)
        AppendDms(out, indent, *shown);
    else
        AppendJsonNumber(out, *shown);
}

void LengthField(std::string& out, int indent, const char* key, const std::optional<double>& value,
                 LengthDisplay unit)
{
    if (!value)
        return;
    Key(out, indent, key);
    std::optional<double> shown = DisplayLength(*value, unit);
    if (shown)
        AppendJsonNumber(out, *shown);
    else
        out += "null";
}

// A record's object at indent, with the fields that were set after its name: a point's, then a
// station's, then an observation's, in the order people read them. Left open for a station,
// whose observations follow.
void AppendRecord(std::string& out, const CRecord& record, const char* nameKey, int indent,
                  const CDisplayUnits& units, bool close = true)
{
    Indent(out, indent);
    out += "{\n";
    const int inner = indent + 2;
    Indent(out, inner);
    out += '"';
    out += nameKey;
    out += "\": ";
    AppendJsonString(out, record.name);
    Field(out, inner, "code", record.code);
    LengthField(out, inner, "north", record.north, units.length);
    LengthField(out, inner, "east", record.east, units.length);
    LengthField(out, inner, "elevation", record.elevation, units.length);
    Field(out, inner, "class", record.pointClass);
    LengthField(out, inner, "instrument_height", record.instrumentHeight, units.length);
    Field(out, inner, "temperature", record.temperature);
    Field(out, inner, "pressure", record.pressure);
    AngleField(out, inner, "horizontal_angle", record.horizontalAngle, units.angle);
    AngleField(out, inner, "vertical_angle", record.verticalAngle, units.angle);
    LengthField(out, inner, "slope_distance", record.slopeDistance, units.length);
    LengthField(out, inner, "reflector_height", record.reflectorHeight, units.length);
    Field(out, inner, "date", record.date);
    AngleField(out, inner, "vertical_angle_offset", record.verticalAngleOffset, units.angle);
    if (!close)
        return;
    out += '\n';
    Indent(out, indent);
    out += '}';
}

// Layout of the document: files at 4, their keys at 6, list items at 8, a station's
// observations at 12.
constexpr int FileIndent = 4;
constexpr int KeyIndent = 6;
constexpr int ItemIndent = 8;
constexpr int ObservationIndent = 12;

} // namespace

void AppendJsonString(std::string& out, const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte)
        {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20)
            {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0xF];
            }
            else
                out += c;
        }
    }
    out += '"';
}

void AppendJsonNumber(std::string& out, double value)
{
    if (!std::isfinite(value))
    {
        out += "null";
        return;
    }
    // The serializer of nlohmann-json, which wrote every document before this sink did; its
    // digits differ from std::to_chars's in rare cases, and its whole numbers end in ".0".
    char buffer[64];
    char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, end);
}

void WriteJsonDocumentStart(IByteSink& out, const CDisplayUnits& units)
{
    std::string start = "{\n"
                        "  \"units\": {\n"
                        "    \"angle\": ";
    AppendJsonString(start, AngleUnitName(units.angle));
    start += ",\n"
             "    \"length\": ";
    AppendJsonString(start, LengthUnitName(units.length));
    start += ",\n"
             "    \"temperature\": \"degrees Celsius\",\n"
             "    \"pressure\": \"hectopascals\"\n"
             "  },\n"
             "  \"files\": [";
    out.Write(start.data(), start.size());
}

void WriteJsonDocumentEnd(IByteSink& out, bool anyFile)
{
    static const char afterFiles[] = "\n  ]\n}\n";
    static const char noFiles[] = "]\n}\n";
    if (anyFile)
        out.Write(afterFiles, sizeof afterFiles - 1);
    else
        out.Write(noFiles, sizeof noFiles - 1);
}

CJsonSink::CJsonSink(IByteSink& out, std::size_t filesBefore, const CDisplayUnits& units)
    : m_files(filesBefore), m_units(units), m_sink(out), m_points(out), m_stations(m_stationSpool),
      m_withoutStation(m_withoutStationSpool), m_messages(m_messageSpool),
      m_warnings(m_warningSpool)
{
}

void CJsonSink::Item(CList& list)
{
    list.writer.Text() += list.any ? ",\n" : "\n";
    list.any = true;
}

void CJsonSink::CloseList(CList& list, std::string& text, int indent)
{
    if (list.any)
    {
        text += '\n';
        Indent(text, indent);
    }
    text += ']';
    list.any = false;
}

void CJsonSink::BeginFile(const std::string& path)
{
    std::string& text = m_points.writer.Text();
    text += m_files++ ? ",\n" : "\n";
    Indent(text, FileIndent);
    text += "{\n";
    Indent(text, KeyIndent);
    text += "\"path\": ";
    AppendJsonString(text, path);
    Key(text, KeyIndent, "points");
    text += '[';
}

void CJsonSink::Point(const CRecord& point)
{
    Item(m_points);
    AppendRecord(m_points.writer.Text(), point, "name", ItemIndent, m_units);
    m_points.writer.Commit();
}

void CJsonSink::CloseStation()
{
    if (!m_stationOpen)
        return;
    std::string& text = m_stations.writer.Text();
    if (m_stationHasObservations)
    {
        text += '\n';
        Indent(text, ItemIndent + 2);
    }
    text += "]\n";
    Indent(text, ItemIndent);
    text += '}';
    m_stationOpen = false;
}

void CJsonSink::Station(const CRecord& station, std::size_t)
{
    CloseStation();
    Item(m_stations);
    std::string& text = m_stations.writer.Text();
    AppendRecord(text, station, "name", ItemIndent, m_units, false);
    Key(text, ItemIndent + 2, "observations");
    text += '[';
    m_stationOpen = true;
    m_stationHasObservations = false;
    m_stations.writer.Commit();
}

void CJsonSink::Observation(const CRecord& observation, const CRecord*, std::size_t setup)
{
    if (setup == 0 || !m_stationOpen)
    {
        Item(m_withoutStation);
        AppendRecord(m_withoutStation.writer.Text(), observation, "target", ItemIndent, m_units);
        m_withoutStation.writer.Commit();
        return;
    }
    std::string& text = m_stations.writer.Text();
    text += m_stationHasObservations ? ",\n" : "\n";
    m_stationHasObservations = true;
    AppendRecord(text, observation, "target", ObservationIndent, m_units);
    m_stations.writer.Commit();
}

void CJsonSink::LineAndText(CList& list, const std::optional<std::int64_t>& line,
                            const std::string& message)
{
    Item(list);
    std::string& text = list.writer.Text();
    Indent(text, ItemIndent);
    text += "{\n";
    Indent(text, ItemIndent + 2);
    text += "\"line\": ";
    text += line ? std::to_string(*line) : "null";
    Key(text, ItemIndent + 2, "text");
    AppendJsonString(text, message);
    text += '\n';
    Indent(text, ItemIndent);
    text += '}';
    list.writer.Commit();
}

void CJsonSink::Message(const CMessage& message)
{
    LineAndText(m_messages, message.line, message.text);
}

void CJsonSink::Warning(const CWarning& warning)
{
    LineAndText(m_warnings, warning.line, warning.text);
}

void CJsonSink::EndFile(bool imported)
{
    CBufferedWriter& out = m_points.writer;
    // The spooled lists follow the points, each between its key and its closing bracket.
    auto append = [&](const char* key, CList& list, CSpool& spool)
    {
        Key(out.Text(), KeyIndent, key);
        out.Text() += '[';
        out.Flush();
        list.writer.Flush();
        spool.MoveTo(m_sink);
        CloseList(list, out.Text(), KeyIndent);
    };
    CloseList(m_points, out.Text(), KeyIndent);
    CloseStation();
    append("stations", m_stations, m_stationSpool);
    append("observations_without_station", m_withoutStation, m_withoutStationSpool);
    Key(out.Text(), KeyIndent, "imported");
    out.Text() += imported ? "true" : "false";
    append("messages", m_messages, m_messageSpool);
    append("warnings", m_warnings, m_warningSpool);
    out.Text() += '\n';
    Indent(out.Text(), FileIndent);
    out.Text() += '}';
    out.Flush();
}

} // namespace Host

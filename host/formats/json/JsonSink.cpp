#include "host/formats/json/JsonSink.h"

#include "host/formats/json/JsonText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

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

// Layout of the document: files at 4, their keys at 6, list items at 8, a station's
// observations at 12.
constexpr int FileIndent = 4;
constexpr int KeyIndent = 6;
constexpr int ItemIndent = 8;
constexpr int ObservationIndent = 12;

} // namespace

// The text of one record's object, written through a pointer into room made for the whole record
// at once: records are most of the document, and checking the room for every piece would cost
// more than writing it. The keys are laid out once for the record's indent.
class CJsonSink::CRecordWriter
{
public:
    CRecordWriter(int indent, const char* nameKey) : m_inner(indent + 2)
    {
        const std::string inner(static_cast<std::size_t>(m_inner), ' ');
        m_open = std::string(static_cast<std::size_t>(indent), ' ') + "{\n" + inner + '"' +
                 nameKey + "\": ";
        // The name's quotation marks; those of the other texts are in their value's room.
        m_fixedRoom = m_open.size() + 2;
        for (std::size_t field = 0; field < FieldCount; ++field)
        {
            m_keys[field] = ",\n" + inner + '"' + FieldKeys[field] + "\": ";
            m_fixedRoom += m_keys[field].size() + ValueRoom;
        }
        m_close = "\n" + std::string(static_cast<std::size_t>(indent), ' ') + '}';
        m_fixedRoom += m_close.size();
    }

    // The separator from the item before, then the record: the fields that were set follow the
    // name, a point's, then a station's, then an observation's, in the order people read them. A
    // station's object is left open for its observations.
    void Append(CBufferedWriter& out, std::string_view separator, const CRecord& r,
                const CDisplayUnits& units, bool close = true)
    {
        const std::size_t strings =
            r.name.size() + (r.code ? r.code->size() : 0) + (r.date ? r.date->size() : 0);
        // A character takes at most six once escaped.
        const std::size_t room = separator.size() + m_fixedRoom + 6 * strings;
        m_at = out.Reserve(room);
        Put(separator);
        Put(m_open);
        String(r.name);
        Field(Code, r.code);
        Length(North, r.north, units.length);
        Length(East, r.east, units.length);
        Length(Elevation, r.elevation, units.length);
        Field(Class, r.pointClass);
        Length(InstrumentHeight, r.instrumentHeight, units.length);
        Field(Temperature, r.temperature);
        Field(Pressure, r.pressure);
        Angle(HorizontalAngle, r.horizontalAngle, units.angle);
        Angle(VerticalAngle, r.verticalAngle, units.angle);
        Length(SlopeDistance, r.slopeDistance, units.length);
        Length(ReflectorHeight, r.reflectorHeight, units.length);
        Field(Date, r.date);
        Angle(VerticalAngleOffset, r.verticalAngleOffset, units.angle);
        if (close)
            Put(m_close);
        out.Wrote(m_at);
    }

private:
    enum Key
    {
        Code,
        North,
        East,
        Elevation,
        Class,
        InstrumentHeight,
        Temperature,
        Pressure,
        HorizontalAngle,
        VerticalAngle,
        SlopeDistance,
        ReflectorHeight,
        Date,
        VerticalAngleOffset,
        FieldCount
    };
    static constexpr const char* FieldKeys[FieldCount] = {"code",
                                                          "north",
                                                          "east",
                                                          "elevation",
                                                          "class",
                                                          "instrument_height",
                                                          "temperature",
                                                          "pressure",
                                                          "horizontal_angle",
                                                          "vertical_angle",
                                                          "slope_distance",
                                                          "reflector_height",
                                                          "date",
                                                          "vertical_angle_offset"};
    // The most a number, null, an integer, the quotation marks of a text or an angle's object of
    // degrees, minutes and seconds takes (its degrees may have 309 digits).
    static constexpr std::size_t ValueRoom = 600;

    void Put(std::string_view text)
    {
        std::memcpy(m_at, text.data(), text.size());
        m_at += text.size();
    }

    void Number(double value) { m_at = WriteJsonNumber(m_at, value); }

    void String(const std::string& text) { m_at = WriteJsonString(m_at, text); }

    void Field(Key key, const std::optional<double>& value)
    {
        if (!value)
            return;
        Put(m_keys[key]);
        Number(*value);
    }

    void Field(Key key, const std::optional<std::int32_t>& value)
    {
        if (!value)
            return;
        Put(m_keys[key]);
        m_at = std::to_chars(m_at, m_at + ValueRoom, *value).ptr;
    }

    void Field(Key key, const std::optional<std::string>& value)
    {
        if (!value)
            return;
        Put(m_keys[key]);
        String(*value);
    }

    void Length(Key key, const std::optional<double>& value, LengthDisplay unit)
    {
        if (!value)
            return;
        Put(m_keys[key]);
        if (unit == LengthDisplay::Metres)
            Number(*value);
        else if (std::optional<double> shown = DisplayLength(*value, unit))
            Number(*shown);
        else
            Put(Null());
    }

    void Angle(Key key, const std::optional<double>& value, AngleDisplay unit)
    {
        if (!value)
            return;
        Put(m_keys[key]);
        if (unit == AngleDisplay::Radians)
            return Number(*value);
        std::optional<double> shown = DisplayAngle(*value, unit);
        if (!shown)
            Put(Null());
        else if (unit != AngleDisplay::DegreesMinutesSeconds)
            Number(*shown);
        else
        {
            m_dms.clear();
            CJsonWriter dms(m_dms, m_inner);
            WriteDmsObject(dms, *shown);
            Put(m_dms);
        }
    }

    static const std::string& Null()
    {
        static const std::string null = "null";
        return null;
    }

    int m_inner = 0;
    std::string m_open;
    std::string m_keys[FieldCount];
    std::string m_close;
    std::size_t m_fixedRoom = 0;
    char* m_at = nullptr;
    std::string m_dms;
};

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
      m_warnings(m_warningSpool), m_itemWriter(std::make_unique<CRecordWriter>(ItemIndent, "name")),
      m_targetWriter(std::make_unique<CRecordWriter>(ItemIndent, "target")),
      m_observationWriter(std::make_unique<CRecordWriter>(ObservationIndent, "target"))
{
}

CJsonSink::~CJsonSink() = default;

std::string_view CJsonSink::Separator(CList& list)
{
    const std::string_view separator = list.any ? ",\n" : "\n";
    list.any = true;
    return separator;
}

void CJsonSink::Item(CList& list)
{
    list.writer.Text() += Separator(list);
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
    m_itemWriter->Append(m_points.writer, Separator(m_points), point, m_units);
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
    m_itemWriter->Append(m_stations.writer, Separator(m_stations), station, m_units, false);
    std::string& text = m_stations.writer.Text();
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
        m_targetWriter->Append(m_withoutStation.writer, Separator(m_withoutStation), observation,
                               m_units);
        m_withoutStation.writer.Commit();
        return;
    }
    const std::string_view separator = m_stationHasObservations ? ",\n" : "\n";
    m_stationHasObservations = true;
    m_observationWriter->Append(m_stations.writer, separator, observation, m_units);
    m_stations.writer.Commit();
}

void CJsonSink::LineAndText(CList& list, const std::optional<std::int64_t>& line,
                            const std::string& message)
{
    Item(list);
    std::string& text = list.writer.Text();
    Indent(text, ItemIndent);
    CJsonWriter json(text, ItemIndent);
    json.BeginObject().Key("line");
    if (line)
        json.Integer(*line);
    else
        json.Null();
    json.Key("text").String(message).EndObject();
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

#include "host/Output.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <optional>

namespace Host
{
namespace
{

using Json = nlohmann::ordered_json;

template <class T> void Put(Json& object, const char* key, const std::optional<T>& value)
{
    if (value)
        object[key] = *value;
}

// The fields of a record that were set, after its name: a point's, then a station's, then an
// observation's, in the order people read them.
Json RecordJson(const CRecord& record, const char* nameKey)
{
    Json object = Json::object();
    object[nameKey] = record.name;
    Put(object, "code", record.code);
    Put(object, "north", record.north);
    Put(object, "east", record.east);
    Put(object, "elevation", record.elevation);
    Put(object, "class", record.pointClass);
    Put(object, "instrument_height", record.instrumentHeight);
    Put(object, "temperature", record.temperature);
    Put(object, "pressure", record.pressure);
    Put(object, "horizontal_angle", record.horizontalAngle);
    Put(object, "vertical_angle", record.verticalAngle);
    Put(object, "slope_distance", record.slopeDistance);
    Put(object, "reflector_height", record.reflectorHeight);
    Put(object, "date", record.date);
    Put(object, "vertical_angle_offset", record.verticalAngleOffset);
    return object;
}

Json ObservationsJson(const std::vector<CRecord>& observations)
{
    Json list = Json::array();
    for (const CRecord& observation : observations)
        list.push_back(RecordJson(observation, "target"));
    return list;
}

Json FileJson(const CFileRecords& file)
{
    Json object = Json::object();
    object["path"] = file.path;
    object["imported"] = file.Imported();
    Json messages = Json::array();
    for (const CMessage& message : file.messages)
    {
        Json entry = Json::object();
        entry["line"] = message.line ? Json(*message.line) : Json(nullptr);
        entry["text"] = message.text;
        messages.push_back(std::move(entry));
    }
    object["messages"] = std::move(messages);
    Json warnings = Json::array();
    for (const CWarning& warning : file.warnings)
        warnings.push_back(Json{{"line", warning.line ? Json(*warning.line) : Json(nullptr)},
                                {"text", warning.text}});
    object["warnings"] = std::move(warnings);
    Json points = Json::array();
    for (const CRecord& point : file.points)
        points.push_back(RecordJson(point, "name"));
    object["points"] = std::move(points);
    Json stations = Json::array();
    for (const CStation& station : file.stations)
    {
        Json entry = RecordJson(station.station, "name");
        entry["observations"] = ObservationsJson(station.observations);
        stations.push_back(std::move(entry));
    }
    object["stations"] = std::move(stations);
    object["observations_without_station"] = ObservationsJson(file.observationsWithoutStation);
    return object;
}

std::string Optional(const std::optional<double>& value)
{
    return value ? FormatNumber(*value) : std::string();
}

std::string Optional(const std::optional<std::string>& value)
{
    return value ? CsvField(*value) : std::string();
}

std::string Optional(const std::optional<std::int32_t>& value)
{
    return value ? std::to_string(*value) : std::string();
}

void Row(std::ostream& out, std::initializer_list<std::string> fields)
{
    bool first = true;
    for (const std::string& field : fields)
    {
        if (!first)
            out << ',';
        out << field;
        first = false;
    }
    out << "\r\n";
}

void ObservationRow(std::ostream& out, const CFileRecords& file, const std::string& setup,
                    const std::string& station, const CRecord& observation)
{
    Row(out, {CsvField(file.path), setup, station, CsvField(observation.name),
              Optional(observation.code), Optional(observation.horizontalAngle),
              Optional(observation.verticalAngle), Optional(observation.slopeDistance),
              Optional(observation.reflectorHeight), Optional(observation.date),
              Optional(observation.verticalAngleOffset)});
}

} // namespace

std::string FormatNumber(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
    {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string ToJson(const std::vector<CFileRecords>& files)
{
    Json document = Json::object();
    document["units"] = Json{{"angle", "radians"},
                             {"length", "metres"},
                             {"temperature", "degrees Celsius"},
                             {"pressure", "hectopascals"}};
    Json list = Json::array();
    for (const CFileRecords& file : files)
        list.push_back(FileJson(file));
    document["files"] = std::move(list);
    // Texts are valid UTF-8 already; the replacing handler only guards against a surprise.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void WritePointsCsv(const std::vector<CFileRecords>& files, std::ostream& out)
{
    Row(out, {"file", "name", "north", "east", "elevation", "class", "code"});
    for (const CFileRecords& file : files)
        for (const CRecord& point : file.points)
            Row(out, {CsvField(file.path), CsvField(point.name), Optional(point.north),
                      Optional(point.east), Optional(point.elevation), Optional(point.pointClass),
                      Optional(point.code)});
}

void WriteStationsCsv(const std::vector<CFileRecords>& files, std::ostream& out)
{
    Row(out, {"file", "setup", "name", "instrument_height", "temperature", "pressure"});
    for (const CFileRecords& file : files)
        for (std::size_t i = 0; i < file.stations.size(); ++i)
        {
            const CRecord& station = file.stations[i].station;
            Row(out, {CsvField(file.path), std::to_string(i + 1), CsvField(station.name),
                      Optional(station.instrumentHeight), Optional(station.temperature),
                      Optional(station.pressure)});
        }
}

void WriteObservationsCsv(const std::vector<CFileRecords>& files, std::ostream& out)
{
    Row(out, {"file", "setup", "station", "target", "code", "horizontal_angle", "vertical_angle",
              "slope_distance", "reflector_height", "date", "vertical_angle_offset"});
    for (const CFileRecords& file : files)
    {
        for (const CRecord& observation : file.observationsWithoutStation)
            ObservationRow(out, file, std::string(), std::string(), observation);
        for (std::size_t i = 0; i < file.stations.size(); ++i)
            for (const CRecord& observation : file.stations[i].observations)
                ObservationRow(out, file, std::to_string(i + 1),
                               CsvField(file.stations[i].station.name), observation);
    }
}

} // namespace Host

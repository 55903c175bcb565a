// A small import as the plug-in would stream it to the outputs: a file with messages, warnings,
// texts that need quoting and escaping, numbers at the edges of their notation, observations
// before the first station; an empty file; and one that could not be opened.
#pragma once

#include "host/kit/RecordSink.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace HostTest
{

struct CSampleStation
{
    Host::CRecord station;
    std::vector<Host::CRecord> observations;
};

struct CSampleFile
{
    std::string path;
    std::vector<Host::CMessage> messages;
    std::vector<Host::CWarning> warnings;
    std::vector<Host::CRecord> points;
    std::vector<CSampleStation> stations;
    std::vector<Host::CRecord> observationsWithoutStation;

    bool Imported() const
    {
        for (const Host::CMessage& message : messages)
            if (message.fileError)
                return false;
        return true;
    }
};

using Host::CRecord;

// The bytes of a golden file of the sample.
inline std::string ReadGolden(const std::string& name)
{
    std::ifstream in(ORVA_SOURCE_DIR "/tests/host/golden/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Replay(const std::vector<CSampleFile>& files, Host::IRecordSink& sink)
{
    for (const CSampleFile& file : files)
    {
        sink.BeginFile(file.path);
        for (const Host::CMessage& message : file.messages)
            sink.Message(message);
        for (const Host::CWarning& warning : file.warnings)
            sink.Warning(warning);
        for (const CRecord& observation : file.observationsWithoutStation)
            sink.Observation(observation, nullptr, 0);
        for (const CRecord& point : file.points)
            sink.Point(point);
        for (std::size_t i = 0; i < file.stations.size(); ++i)
        {
            sink.Station(file.stations[i].station, i + 1);
            for (const CRecord& observation : file.stations[i].observations)
                sink.Observation(observation, &file.stations[i].station, i + 1);
        }
        sink.EndFile(file.Imported());
    }
}

inline std::vector<CSampleFile> Sample()
{
    CSampleFile job;
    job.path = "dir/job \"1\".idx";
    job.messages.push_back({5, "Не указано имя точки", false});
    job.warnings.push_back({6, "\"N/A\" is not a length"});
    job.warnings.push_back({std::nullopt, "\"x\" is not an angle"});
    job.messages.push_back({std::nullopt, "tab\there\x01", false});
    CRecord point;
    point.name = "P\\1";
    point.north = 1000.5;
    point.east = 1e21;
    point.elevation = -0.0;
    point.pointClass = -3;
    point.code = "a,b";
    job.points.push_back(point);
    job.points.push_back(CRecord{});
    CRecord early;
    early.name = "T0";
    early.slopeDistance = 12.0;
    early.date = "20191225";
    job.observationsWithoutStation.push_back(early);
    for (int s = 0; s < 2; ++s)
    {
        CSampleStation station;
        station.station.name = "S" + std::to_string(s);
        station.station.temperature = 20.0 + s;
        station.station.pressure = 1e-7;
        if (s == 0)
        {
            CRecord target;
            target.name = "T1";
            target.code = "line\nbreak\r";
            target.horizontalAngle = 0.7853981633974483;
            target.verticalAngleOffset = 1.5707963267949;
            target.reflectorHeight = 1.7;
            station.observations.push_back(target);
            station.observations.push_back(target);
        }
        job.stations.push_back(station);
    }
    CSampleFile empty;
    empty.path = "empty.idx";
    CSampleFile missing;
    missing.path = "missing.idx";
    missing.messages.push_back({std::nullopt, "Не удается открыть файл", true});
    return {job, empty, missing};
}

} // namespace HostTest

// What the tests of the host's rooms share: byte sinks that keep what they are given or fail as a
// full disk does, a record sink that logs the stream a line per event, and the records they feed
// to sinks.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/ImportRecords.h"
#include "host/kit/RecordSink.h"

#include <cstddef>
#include <string>
#include <vector>

namespace HostTest
{

class CStringSink final : public Host::IByteSink
{
public:
    void Write(const char* data, std::size_t size) override { text.append(data, size); }
    std::string text;
};

// Fails once more than limit bytes were written, as a full disk does.
class CFullSink final : public Host::IByteSink
{
public:
    explicit CFullSink(std::size_t limit) : m_limit(limit) {}
    void Write(const char*, std::size_t size) override
    {
        if (m_written + size > m_limit)
            throw Host::COutputError("cannot write the output: No space left on device");
        m_written += size;
    }

private:
    std::size_t m_limit;
    std::size_t m_written = 0;
};

// Logs the stream as one line per event.
class CLogSink : public Host::IRecordSink
{
public:
    void BeginFile(const std::string& path) override { log.push_back("file " + path); }
    void Point(const Host::CRecord& point) override
    {
        log.push_back("point " + point.name + (point.north ? " n" : "") + (point.code ? " c" : ""));
    }
    void Station(const Host::CRecord& station, std::size_t setup) override
    {
        log.push_back("station " + std::to_string(setup) + " " + station.name +
                      (station.instrumentHeight ? " h" : ""));
    }
    void Observation(const Host::CRecord& observation, const Host::CRecord* station,
                     std::size_t setup) override
    {
        log.push_back("observation " + observation.name + " of " + (station ? station->name : "-") +
                      " " + std::to_string(setup) + (observation.horizontalAngle ? " hz" : "") +
                      (observation.code ? " c" : ""));
    }
    void Message(const Host::CMessage& message) override
    {
        log.push_back("message " + (message.line ? std::to_string(*message.line) : "-") + " " +
                      message.text);
    }
    void Warning(const Host::CWarning& warning) override
    {
        log.push_back("warning " + (warning.line ? std::to_string(*warning.line) : "-") + " " +
                      warning.text);
    }
    void UnitChosen(const Host::CUnitChoice& choice) override
    {
        log.push_back("unit " + std::to_string(static_cast<int>(choice.quantity)) + " " +
                      std::to_string(choice.unitCode) + " " +
                      (choice.line ? std::to_string(*choice.line) : "-"));
    }
    void EndFile(bool imported) override { log.push_back(imported ? "end" : "end not imported"); }

    std::vector<std::string> log;
};

inline Host::CRecord Named(const std::string& name)
{
    Host::CRecord record;
    record.name = name;
    return record;
}

inline Host::CRecord Point(const std::string& name, double north, double east)
{
    Host::CRecord point = Named(name);
    point.north = north;
    point.east = east;
    return point;
}

} // namespace HostTest

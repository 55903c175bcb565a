#include "host/kit/SinkFanOut.h"

namespace Host
{

void CSinkFanOut::BeginFile(const std::string& path)
{
    for (IRecordSink* sink : m_sinks)
        sink->BeginFile(path);
}

void CSinkFanOut::Point(const CRecord& point)
{
    for (IRecordSink* sink : m_sinks)
        sink->Point(point);
}

void CSinkFanOut::Station(const CRecord& station, std::size_t setup)
{
    for (IRecordSink* sink : m_sinks)
        sink->Station(station, setup);
}

void CSinkFanOut::Observation(const CRecord& observation, const CRecord* station, std::size_t setup)
{
    for (IRecordSink* sink : m_sinks)
        sink->Observation(observation, station, setup);
}

void CSinkFanOut::Message(const CMessage& message)
{
    for (IRecordSink* sink : m_sinks)
        sink->Message(message);
}

void CSinkFanOut::Warning(const CWarning& warning)
{
    for (IRecordSink* sink : m_sinks)
        sink->Warning(warning);
}

void CSinkFanOut::UnitChosen(const CUnitChoice& choice)
{
    for (IRecordSink* sink : m_sinks)
        sink->UnitChosen(choice);
}

void CSinkFanOut::FileSettings(const CFileSettings& settings)
{
    for (IRecordSink* sink : m_sinks)
        sink->FileSettings(settings);
}

void CSinkFanOut::EndFile(bool imported)
{
    for (IRecordSink* sink : m_sinks)
        sink->EndFile(imported);
}

} // namespace Host

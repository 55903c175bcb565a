// One record stream handed to several sinks, each event to every sink in the order given, so that
// a receiver, a pipe or an output of two tables has one sink to feed.
#pragma once

#include "host/kit/RecordSink.h"

#include <vector>

namespace Host
{

class CSinkFanOut : public IRecordSink
{
public:
    // The sinks are borrowed.
    explicit CSinkFanOut(std::vector<IRecordSink*> sinks = {}) : m_sinks(std::move(sinks)) {}

    // One more sink, after those given before; borrowed too.
    void Add(IRecordSink* sink) { m_sinks.push_back(sink); }

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage& message) override;
    void Warning(const CWarning& warning) override;
    void UnitChosen(const CUnitChoice& choice) override;
    void FileSettings(const CFileSettings& settings) override;
    void EndFile(bool imported) override;

private:
    std::vector<IRecordSink*> m_sinks;
};

} // namespace Host

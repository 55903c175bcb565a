// The records of an import as a stream, in the order the plug-in sent them, each record once it
// is complete (the next one has begun or its file has ended). Outputs are sinks of this stream,
// and so are the messages on stderr; none of them needs more than the record at hand.
#pragma once

#include "host/kit/ImportRecords.h"

#include <cstddef>
#include <string>

namespace Host
{

class IRecordSink
{
public:
    virtual ~IRecordSink() = default;

    virtual void BeginFile(const std::string& path) = 0;
    virtual void Point(const CRecord& point) = 0;
    // setup numbers the stations of a file from 1. A station comes before its observations.
    virtual void Station(const CRecord& station, std::size_t setup) = 0;
    // station is the one opened last in the file, setup its number; null and 0 before the first.
    virtual void Observation(const CRecord& observation, const CRecord* station,
                             std::size_t setup) = 0;
    virtual void Message(const CMessage& message) = 0;
    // A value that the host could not convert; the plug-in left it out of its record.
    virtual void Warning(const CWarning&) {}
    // The plug-in chose the unit of a quantity, by default or for a unit line of the file.
    virtual void UnitChosen(const CUnitChoice&) {}
    // What the reader saw of the file beyond its records, once its last line is read; only from
    // the reader linked into the program.
    virtual void FileSettings(const CFileSettings&) {}
    // imported is false when a file error was reported.
    virtual void EndFile(bool imported) = 0;
};

} // namespace Host

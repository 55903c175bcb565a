// The GeoJSON output as a sink of the record stream: one FeatureCollection for all files, one
// feature per line. Points with a north and an east are Point features ([east, north] or
// [east, north, elevation]), written as they arrive; stations are Point features at their point,
// and observations LineString features from their station's point to their target's, both placed
// by name among the file's points (CNamedPositions). A station or observation whose point has
// not been sent yet is held until the file ends and written then, if the point came; what cannot
// be placed (no such point, a point without a position, an observation before the first station)
// is left out. Coordinates are the file's own grid; no coordinate system is stated.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/PointPositions.h"
#include "host/kit/RecordSink.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Host
{

// The collection's opening, up to its list of features, and its end.
void WriteGeoJsonDocumentStart(IByteSink& out);
void WriteGeoJsonDocumentEnd(IByteSink& out);

// Every feature is written with the separator that goes between two; the first of the document
// must not have it. Put in front of the destination of all files' features, this drops it.
class CFirstSeparatorDropped final : public IByteSink
{
public:
    explicit CFirstSeparatorDropped(IByteSink& out) : m_out(out) {}
    void Write(const char* data, std::size_t size) override;

private:
    IByteSink& m_out;
    bool m_dropped = false;
};

class CGeoJsonSink final : public IRecordSink
{
public:
    // Writes the features to out, which is borrowed; the values of the properties in units, the
    // coordinates in metres.
    explicit CGeoJsonSink(IByteSink& out, const CDisplayUnits& units = {})
        : m_out(out), m_units(units)
    {
    }

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage&) override {}
    void EndFile(bool imported) override;

    // Passes on what is still buffered; EndFile does this for each file.
    void Flush() { m_out.Flush(); }

private:
    // A station (no station name) or an observation waiting for the end of its file.
    struct CWaiting
    {
        CRecord record;
        std::string station;
        std::size_t setup;
        bool observation;
    };

    // Each writes the feature when its points are known and says whether it did.
    bool WriteStation(const CRecord& station, std::size_t setup);
    bool WriteObservation(const CRecord& observation, const std::string& station,
                          std::size_t setup);

    CBufferedWriter m_out;
    CDisplayUnits m_units;
    // The file's path as a JSON string, made once for all its features.
    std::string m_file;
    CNamedPositions<CPosition> m_positions;
    std::vector<CWaiting> m_waiting;
};

} // namespace Host

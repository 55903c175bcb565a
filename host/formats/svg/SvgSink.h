// The SVG output as a sink of the record stream: it gathers one file's share of the plan view
// (SvgPlan.h), which is drawn when every file is in. Points with a north and an east are placed
// as they arrive; stations and the targets of observations are placed on the file's point of
// their name (CNamedPositions), and those whose point comes later in the file when the file ends.
// A station or target with no such point, and observations before the first station, are
// counted as not placed.
#pragma once

#include "host/formats/svg/PointPairs.h"
#include "host/formats/svg/SvgPlan.h"
#include "host/kit/PointPositions.h"
#include "host/kit/RecordSink.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Host
{

class CSvgSink final : public IRecordSink
{
public:
    // Fills plan, which is borrowed.
    explicit CSvgSink(CPlanFile& plan) : m_plan(plan) {}

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage&) override {}
    void EndFile(bool imported) override;

private:
    // Each places what it can and says whether it could.
    bool PlaceStation(const std::string& name);
    bool PlaceRay(const std::string& station, const std::string& target);

    CPlanFile& m_plan;
    CNamedPositions<std::size_t> m_points;
    CPointPairs m_rays;
    // Names waiting for the end of the file: stations, and observations (station, target).
    std::vector<std::string> m_waitingStations;
    std::vector<std::pair<std::string, std::string>> m_waitingRays;
};

} // namespace Host

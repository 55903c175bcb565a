#include "host/formats/svg/SvgSink.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace Host
{

void CSvgSink::BeginFile(const std::string& path)
{
    m_plan.path = path;
}

void CSvgSink::Point(const CRecord& point)
{
    std::optional<CPosition> position = PositionOf(point);
    if (!position || !std::isfinite(position->east) || !std::isfinite(position->north))
    {
        ++m_plan.pointsUnplaced;
        return;
    }
    m_points.Add(point.name, m_plan.points.size());
    m_plan.points.push_back({position->east, position->north, point.name, false});
}

bool CSvgSink::PlaceStation(const std::string& name)
{
    const std::size_t* index = m_points.Find(name);
    if (!index)
        return false;
    m_plan.points[*index].station = true;
    return true;
}

bool CSvgSink::PlaceRay(const std::string& station, const std::string& target)
{
    const std::size_t* from = m_points.Find(station);
    const std::size_t* to = m_points.Find(target);
    if (!from || !to)
        return false;
    // Observed both ways, or in several sets, a pair is still one line.
    if (*from != *to && m_rays.Insert(*from, *to))
        m_plan.rays.emplace_back(*from, *to);
    return true;
}

void CSvgSink::Station(const CRecord& station, std::size_t)
{
    ++m_plan.stations;
    if (!PlaceStation(station.name))
        m_waitingStations.push_back(station.name);
}

void CSvgSink::Observation(const CRecord& observation, const CRecord* station, std::size_t)
{
    ++m_plan.observations;
    if (!station)
        ++m_plan.observationsUnplaced;
    else if (!PlaceRay(station->name, observation.name))
        m_waitingRays.emplace_back(station->name, observation.name);
}

void CSvgSink::EndFile(bool)
{
    for (const std::string& name : m_waitingStations)
        if (!PlaceStation(name))
            ++m_plan.stationsUnplaced;
    for (const auto& ray : m_waitingRays)
        if (!PlaceRay(ray.first, ray.second))
            ++m_plan.observationsUnplaced;
    m_waitingStations.clear();
    m_waitingRays.clear();
    m_points.Clear();
    m_rays.Clear();
}

} // namespace Host

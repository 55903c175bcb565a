#include "gdal/RecordStore.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#if !defined(__GNUC__) && defined(_MSC_VER)
#include <xmmintrin.h>
#endif

namespace OrvaGdal
{
namespace
{

constexpr double None = std::numeric_limits<double>::quiet_NaN();

double ValueOf(const std::optional<double>& value)
{
    return value ? *value : None;
}

// "20210614" as 20210614; 0 for anything that is not eight digits.
std::uint32_t DateOf(const std::optional<std::string>& date)
{
    if (!date || date->size() != 8)
        return 0;
    std::uint32_t value = 0;
    for (char c : *date)
    {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value;
}

std::uint32_t FidOf(std::size_t index)
{
    if (index >= std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too many records for one dataset");
    return static_cast<std::uint32_t>(index + 1);
}

// Asks for the memory at address ahead of its use; a hint, so a compiler without one loses
// nothing but time.
void Prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

} // namespace

CTextRef CRecordStore::Keep(const std::string& text)
{
    if (m_arena.size() + text.size() + 1 >= std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("too much text for one dataset");
    CTextRef ref{static_cast<std::uint32_t>(m_arena.size()),
                 static_cast<std::uint32_t>(text.size())};
    // The record's texts come from C strings of the plug-in's and hold no NUL of their own.
    m_arena.append(text.c_str(), text.size() + 1);
    return ref;
}

CTextRef CRecordStore::Keep(const std::optional<std::string>& text)
{
    return text ? Keep(*text) : CTextRef();
}

std::string_view CRecordStore::Text(CTextRef text) const
{
    if (!HasText(text))
        return std::string_view();
    return std::string_view(m_arena).substr(text.offset, text.size);
}

CSourceLine CRecordStore::SourceOf(std::int64_t line) const
{
    CSourceLine source;
    source.file = static_cast<std::uint32_t>(m_files.size() - 1);
    source.line = line > 0 && line <= std::numeric_limits<std::uint32_t>::max()
                      ? static_cast<std::uint32_t>(line)
                      : 0;
    return source;
}

void CRecordStore::BeginFile(const std::string& path)
{
    CFileFacts facts;
    facts.path = path;
    m_files.push_back(std::move(facts));
    m_firstPoint = m_points.size();
    m_firstStation = m_stations.size();
    m_firstObservation = m_observations.size();
    m_placedPoints.clear();
    m_setupStations.clear();
}

void CRecordStore::Point(const Host::CRecord& point)
{
    CPointRow row{};
    row.name = Keep(point.name);
    row.code = Keep(point.code);
    row.north = ValueOf(point.north);
    row.east = ValueOf(point.east);
    row.elevation = ValueOf(point.elevation);
    row.hasClass = point.pointClass.has_value();
    row.pointClass = point.pointClass.value_or(0);
    row.source = SourceOf(point.line);
    m_points.push_back(row);
    if (point.north && point.east)
        m_placedPoints.emplace_back(
            static_cast<std::uint32_t>(std::hash<std::string_view>()(point.name)),
            FidOf(m_points.size() - 1));
}

void CRecordStore::Station(const Host::CRecord& station, std::size_t setup)
{
    CStationRow row{};
    row.name = Keep(station.name);
    row.instrumentHeight = ValueOf(station.instrumentHeight);
    row.temperature = ValueOf(station.temperature);
    row.pressure = ValueOf(station.pressure);
    row.source = SourceOf(station.line);
    if (m_setupStations.size() < setup)
        m_setupStations.resize(setup, 0);
    m_setupStations[setup - 1] = FidOf(m_stations.size());
    m_stations.push_back(row);
}

void CRecordStore::Observation(const Host::CRecord& observation, const Host::CRecord*,
                               std::size_t setup)
{
    CObservationRow row{};
    row.target = Keep(observation.name);
    row.code = Keep(observation.code);
    row.date = DateOf(observation.date);
    row.horizontalAngle = ValueOf(observation.horizontalAngle);
    row.verticalAngle = ValueOf(observation.verticalAngle);
    row.slopeDistance = ValueOf(observation.slopeDistance);
    row.reflectorHeight = ValueOf(observation.reflectorHeight);
    row.verticalAngleOffset = ValueOf(observation.verticalAngleOffset);
    row.stationFid = setup && setup <= m_setupStations.size() ? m_setupStations[setup - 1] : 0;
    row.source = SourceOf(observation.line);
    m_observations.push_back(row);
}

void CRecordStore::Message(const Host::CMessage& message)
{
    CMessageRow row{};
    row.source = SourceOf(message.line.value_or(0));
    row.warning = false;
    row.text =
        Keep(message.cause.empty() ? message.text : message.text + " (" + message.cause + ")");
    m_messages.push_back(row);
}

void CRecordStore::Warning(const Host::CWarning& warning)
{
    CMessageRow row{};
    row.source = SourceOf(warning.line.value_or(0));
    row.warning = true;
    row.text = Keep(warning.text);
    m_messages.push_back(row);
}

void CRecordStore::UnitChosen(const Host::CUnitChoice& choice)
{
    m_files.back().units[static_cast<std::size_t>(choice.quantity)] = choice.unitCode;
}

void CRecordStore::FileSettings(const Host::CFileSettings& settings)
{
    m_files.back().settings = settings;
    m_files.back().settingsKnown = true;
}

void CRecordStore::EndFile(bool imported)
{
    m_files.back().imported = imported;
    PlaceOnPoints();
}

void CRecordStore::PlaceOnPoints()
{
    // The first point of each name with a position, in an open-addressed table of the file's
    // points by the hash of their names: one probe or two per look-up, where a search of a
    // sorted list would miss the cache at every step, and no allocation per point.
    std::size_t slots = 16;
    while (slots < 2 * m_placedPoints.size())
        slots *= 2;
    const std::size_t mask = slots - 1;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> table(slots, {0, 0});
    // Which of the file's points the table holds, by FID from the file's first.
    std::vector<bool> inTable(m_points.size() - m_firstPoint, false);
    // The slots of a large table are far apart in memory: each is asked for a few points ahead
    // of its turn, so that the insertions do not wait for memory one after the other.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < m_placedPoints.size(); ++i)
    {
        if (i + kAhead < m_placedPoints.size())
            Prefetch(&table[m_placedPoints[i + kAhead].first & mask]);
        const auto [hash, fid] = m_placedPoints[i];
        const std::string_view name = Text(m_points[fid - 1].name);
        std::size_t at = hash & mask;
        while (table[at].second &&
               !(table[at].first == hash && Text(m_points[table[at].second - 1].name) == name))
            at = (at + 1) & mask;
        // The first point of a name stays; the file's later ones of that name do not replace it.
        if (!table[at].second)
        {
            table[at] = {hash, fid};
            inTable[fid - 1 - m_firstPoint] = true;
        }
    }
    // A crew measures the points mostly in the order they are listed, so the point after the one
    // found last is tried first: in a large job the table's probes miss the cache, while that
    // point is most often the next in memory. found is the FID found last (one of the file's
    // points) or 0, and the row of the point after it is m_points[found].
    std::uint32_t found = 0;
    auto pointOf = [&](CTextRef name) -> std::uint32_t
    {
        const std::string_view wanted = Text(name);
        if (found != 0 && found < m_points.size() && inTable[found - m_firstPoint] &&
            Text(m_points[found].name) == wanted)
            return ++found;
        const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(wanted));
        for (std::size_t at = hash & mask; table[at].second; at = (at + 1) & mask)
            if (table[at].first == hash && Text(m_points[table[at].second - 1].name) == wanted)
                return found = table[at].second;
        return 0;
    };
    for (std::size_t i = m_firstStation; i < m_stations.size(); ++i)
        m_stations[i].pointFid = pointOf(m_stations[i].name);
    for (std::size_t i = m_firstObservation; i < m_observations.size(); ++i)
        m_observations[i].targetPointFid = pointOf(m_observations[i].target);
    std::vector<std::pair<std::uint32_t, std::uint32_t>>().swap(m_placedPoints);
}

} // namespace OrvaGdal

// The records of a dataset, held compactly as the record stream gives them, so that features are
// made only when a layer is asked for them: texts in one arena, values as doubles (NaN where the
// file gave none), and the links between observations, stations and points as FIDs. A file's
// stations and observations are placed on its points when the file ends, since the points of a
// job may come after the setups that name them.
#pragma once

#include "gdal/ChunkedRows.h"
#include "host/kit/ImportRecords.h"
#include "host/kit/RecordSink.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace OrvaGdal
{

// A text of the arena; size UINT32_MAX for none. Each text is followed there by a NUL, so that
// GDAL, which copies a C string into each feature, is given it without a copy of ours first.
struct CTextRef
{
    std::uint32_t offset = 0;
    std::uint32_t size = UINT32_MAX;
};

// A record's place in the files of a dataset.
struct CSourceLine
{
    std::uint32_t file = 0; // index into CRecordStore::Files()
    std::uint32_t line = 0; // counted from 1; 0 for none
};

struct CPointRow
{
    CTextRef name;
    CTextRef code;
    double north;
    double east;
    double elevation;
    std::int32_t pointClass;
    bool hasClass;
    CSourceLine source;
};

struct CStationRow
{
    CTextRef name;
    double instrumentHeight;
    double temperature;
    double pressure;
    // The point the station stands on, 0 when the file has none of its name with a position.
    std::uint32_t pointFid;
    CSourceLine source;
};

struct CObservationRow
{
    CTextRef target;
    CTextRef code;
    // Year, month and day as yyyymmdd; 0 for none.
    std::uint32_t date;
    double horizontalAngle;
    double verticalAngle;
    double slopeDistance;
    double reflectorHeight;
    double verticalAngleOffset;
    // 0 for an observation before the first station of its file, or a target without a point.
    std::uint32_t stationFid;
    std::uint32_t targetPointFid;
    CSourceLine source;
};

struct CMessageRow
{
    CSourceLine source; // line 0 for a message about the whole file
    bool warning;
    CTextRef text;
};

// What a file declares and chose, for the dataset's metadata.
struct CFileFacts
{
    std::string path;
    bool imported = false;
    // The unit code of each quantity in force at the end, -1 when no converter was made.
    std::array<std::int32_t, 4> units{{-1, -1, -1, -1}};
    Host::CFileSettings settings;
    bool settingsKnown = false;
};

class CRecordStore final : public Host::IRecordSink
{
public:
    void BeginFile(const std::string& path) override;
    void Point(const Host::CRecord& point) override;
    void Station(const Host::CRecord& station, std::size_t setup) override;
    void Observation(const Host::CRecord& observation, const Host::CRecord* station,
                     std::size_t setup) override;
    void Message(const Host::CMessage& message) override;
    void Warning(const Host::CWarning& warning) override;
    void UnitChosen(const Host::CUnitChoice& choice) override;
    void FileSettings(const Host::CFileSettings& settings) override;
    void EndFile(bool imported) override;

    const CChunkedRows<CPointRow>& Points() const { return m_points; }
    const CChunkedRows<CStationRow>& Stations() const { return m_stations; }
    const CChunkedRows<CObservationRow>& Observations() const { return m_observations; }
    const CChunkedRows<CMessageRow>& Messages() const { return m_messages; }
    const std::vector<CFileFacts>& Files() const { return m_files; }

    // A text of the arena; empty for none (see HasText).
    std::string_view Text(CTextRef text) const;
    static bool HasText(CTextRef text) { return text.size != UINT32_MAX; }
    // The same text as a C string, valid as long as the store; null for none.
    const char* CString(CTextRef text) const
    {
        return HasText(text) ? m_arena.c_str() + text.offset : nullptr;
    }

private:
    CTextRef Keep(const std::string& text);
    CTextRef Keep(const std::optional<std::string>& text);
    CSourceLine SourceOf(std::int64_t line) const;
    // Places the stations and targets of the file that ends on its points.
    void PlaceOnPoints();

    std::string m_arena;
    CChunkedRows<CPointRow> m_points;
    CChunkedRows<CStationRow> m_stations;
    CChunkedRows<CObservationRow> m_observations;
    CChunkedRows<CMessageRow> m_messages;
    std::vector<CFileFacts> m_files;
    // The file being read: its first point, station and observation.
    std::size_t m_firstPoint = 0;
    std::size_t m_firstStation = 0;
    std::size_t m_firstObservation = 0;
    // The points of the file being read that have a position, as (hash of the name, FID).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_placedPoints;
    // The observations' stations by the file's setup number, to their FIDs.
    std::vector<std::uint32_t> m_setupStations;
};

} // namespace OrvaGdal

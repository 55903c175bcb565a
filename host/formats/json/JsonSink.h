// The JSON output as a sink of the record stream: one document for all files, indented by two
// spaces, written while the records arrive. A file's points go out as they come; its stations and
// the observations before its first station are held in spools (memory, then a temporary file)
// until the file ends, since the document lists them after the points and a file may send points
// at any time. The file's imported flag, messages and warnings close its object. Angles and
// lengths are shown in the display units; degrees, minutes and seconds as an object of their
// parts.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/DisplayUnits.h"
#include "host/kit/RecordSink.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Host
{

// The document's opening, up to the list of files, and its end after the last file.
void WriteJsonDocumentStart(IByteSink& out, const CDisplayUnits& units = {});
void WriteJsonDocumentEnd(IByteSink& out, bool anyFile);

class CJsonSink final : public IRecordSink
{
public:
    // Writes the file objects to out. filesBefore is the number of file objects written to the
    // document before this sink's first (a separator goes before each but the document's first).
    explicit CJsonSink(IByteSink& out, std::size_t filesBefore = 0,
                       const CDisplayUnits& units = {});
    ~CJsonSink() override;

    void BeginFile(const std::string& path) override;
    void Point(const CRecord& point) override;
    void Station(const CRecord& station, std::size_t setup) override;
    void Observation(const CRecord& observation, const CRecord* station,
                     std::size_t setup) override;
    void Message(const CMessage& message) override;
    void Warning(const CWarning& warning) override;
    void EndFile(bool imported) override;

    // Passes on what is still buffered; EndFile does this for each file.
    void Flush() { m_points.writer.Flush(); }

private:
    // One of the lists of a file object, written to its own buffer (and spool).
    struct CList
    {
        explicit CList(IByteSink& sink) : writer(sink) {}
        CBufferedWriter writer;
        bool any = false;
    };

    // The separator before the list's next item.
    static std::string_view Separator(CList& list);
    static void Item(CList& list);
    static void CloseList(CList& list, std::string& text, int indent);
    void CloseStation();
    static void LineAndText(CList& list, const std::optional<std::int64_t>& line,
                            const std::string& text);

    std::size_t m_files;
    CDisplayUnits m_units;
    IByteSink& m_sink;
    CSpool m_stationSpool;
    CSpool m_withoutStationSpool;
    CSpool m_messageSpool;
    CSpool m_warningSpool;
    CList m_points;
    CList m_stations;
    CList m_withoutStation;
    CList m_messages;
    CList m_warnings;
    bool m_stationOpen = false;
    bool m_stationHasObservations = false;
    class CRecordWriter;
    // Points and stations, observations before the first station, observations of a station.
    std::unique_ptr<CRecordWriter> m_itemWriter;
    std::unique_ptr<CRecordWriter> m_targetWriter;
    std::unique_ptr<CRecordWriter> m_observationWriter;
};

} // namespace Host

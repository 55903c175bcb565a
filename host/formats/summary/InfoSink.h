// orva-import info: per file, what a surveyor checks first. It keeps a small summary of the
// record stream (the unit choices, the counts, the messages and warnings, and the settings the
// reader saw: separator, terminator, date order, sections, settings lines that changed nothing)
// and writes it when the file ends, as text for people or, in a JSON document, for scripts.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/RecordSink.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Host
{

class CJsonWriter;

enum class InfoLayout
{
    Text,
    Json
};

// What the JSON document has around its file objects.
void WriteInfoDocumentStart(IByteSink& out);
void WriteInfoDocumentEnd(IByteSink& out, bool anyFile);


class CInfoSink final : public IRecordSink
{
public:
    // Writes the summary of each file to out. filesBefore is the number of files summarised
    // before this sink's first. Each settings line that changes nothing adds one to notes, as it
    // is a warning the record stream did not carry.
    CInfoSink(IByteSink& out, InfoLayout layout, std::size_t filesBefore,
              std::atomic<std::uint64_t>* notes = nullptr);

    void BeginFile(const std::string& path) override;
    void Point(const CRecord&) override { ++m_points; }
    void Station(const CRecord&, std::size_t) override { ++m_stations; }
    void Observation(const CRecord&, const CRecord*, std::size_t) override { ++m_observations; }
    void Message(const CMessage& message) override { m_messages.push_back(message); }
    void Warning(const CWarning& warning) override { m_warnings.push_back(warning); }
    void UnitChosen(const CUnitChoice& choice) override;
    void FileSettings(const CFileSettings& settings) override;
    void EndFile(bool imported) override;

private:
    void WriteText(bool imported);
    void WriteJson(bool imported);
    void WriteUnits(CJsonWriter& json) const;

    IByteSink& m_out;
    InfoLayout m_layout;
    std::size_t m_files;
    std::atomic<std::uint64_t>* m_notes;
    std::string m_path;
    std::array<std::vector<CUnitChoice>, 4> m_units;
    std::uint64_t m_points = 0;
    std::uint64_t m_stations = 0;
    std::uint64_t m_observations = 0;
    std::vector<CMessage> m_messages;
    std::vector<CWarning> m_warnings;
    // Null for a file whose settings are not known: not read, or not imported.
    std::optional<CFileSettings> m_settings;
};

} // namespace Host

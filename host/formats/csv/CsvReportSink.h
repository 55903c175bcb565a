// What the CSV output says about the files themselves, as a sink of the record stream: the
// messages and the warnings about values that could not be converted, in the order they came
// (messages.csv: file, line, text), and one row per file (files.csv: file, imported, points,
// stations, observations, messages, warnings, reason). "line" is empty for a message about the
// whole file; "imported" is "yes" or "no"; "reason" holds the file errors of a file not imported,
// "; " between them, each with its cause in parentheses where one is known. Header rows, RFC 4180
// quoting and CRLF line ends as the record tables.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/RecordSink.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Host
{

enum class CsvReport
{
    Messages,
    Files
};

void WriteCsvReportHeader(CsvReport table, IByteSink& out);

class CCsvReportSink final : public IRecordSink
{
public:
    // The sinks are borrowed; a null sink leaves its table out.
    CCsvReportSink(IByteSink* messages, IByteSink* files);

    void BeginFile(const std::string& path) override;
    void Point(const CRecord&) override { ++m_points; }
    void Station(const CRecord&, std::size_t) override { ++m_stations; }
    void Observation(const CRecord&, const CRecord*, std::size_t) override { ++m_observations; }
    void Message(const CMessage& message) override;
    void Warning(const CWarning& warning) override;
    void EndFile(bool imported) override;

private:
    void Row(const std::optional<std::int64_t>& line, const std::string& text);

    std::unique_ptr<CBufferedWriter> m_messages;
    std::unique_ptr<CBufferedWriter> m_files;
    std::string m_file;
    std::size_t m_points = 0;
    std::size_t m_stations = 0;
    std::size_t m_observations = 0;
    std::size_t m_messageCount = 0;
    std::size_t m_warningCount = 0;
    std::string m_reason;
};

} // namespace Host

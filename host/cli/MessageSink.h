// The messages of the record stream as lines for people: "FILE:LINE: text", or "FILE: text" for a
// message about the whole file; values that could not be converted the same way. Each line is
// passed on as soon as it is reported.
#pragma once

#include "host/io/ByteSink.h"
#include "host/kit/RecordSink.h"

#include <string>

namespace Host
{

class CMessageSink final : public IRecordSink
{
public:
    explicit CMessageSink(IByteSink& out) : m_out(out) {}

    void BeginFile(const std::string& path) override { m_path = path; }
    void Point(const CRecord&) override {}
    void Station(const CRecord&, std::size_t) override {}
    void Observation(const CRecord&, const CRecord*, std::size_t) override {}
    void Message(const CMessage& message) override;
    void Warning(const CWarning& warning) override;
    void EndFile(bool) override {}

private:
    // cause, when not empty, follows the text in parentheses.
    void Line(const std::optional<std::int64_t>& line, const std::string& text,
              const std::string& cause);

    IByteSink& m_out;
    std::string m_path;
    std::string m_line;
};

} // namespace Host

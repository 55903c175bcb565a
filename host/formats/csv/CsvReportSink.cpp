#include "host/formats/csv/CsvReportSink.h"

#include "host/formats/csv/CsvSink.h"

#include <cstring>

namespace Host
{

void WriteCsvReportHeader(CsvReport table, IByteSink& out)
{
    const char* header = table == CsvReport::Messages
                             ? "file,line,text\r\n"
                             : "file,imported,points,stations,observations,messages,warnings,"
                               "reason\r\n";
    out.Write(header, std::strlen(header));
}

CCsvReportSink::CCsvReportSink(IByteSink* messages, IByteSink* files)
    : m_messages(messages ? std::make_unique<CBufferedWriter>(*messages) : nullptr),
      m_files(files ? std::make_unique<CBufferedWriter>(*files) : nullptr)
{
}

void CCsvReportSink::BeginFile(const std::string& path)
{
    m_file.clear();
    AppendCsvField(m_file, path);
    m_points = m_stations = m_observations = m_messageCount = m_warningCount = 0;
    m_reason.clear();
}

void CCsvReportSink::Message(const CMessage& message)
{
    ++m_messageCount;
    if (message.fileError)
    {
        if (!m_reason.empty())
            m_reason += "; ";
        m_reason += message.text;
        if (!message.cause.empty())
            m_reason += " (" + message.cause + ")";
    }
    Row(message.line, message.text);
}

void CCsvReportSink::Warning(const CWarning& warning)
{
    ++m_warningCount;
    Row(warning.line, warning.text);
}

void CCsvReportSink::Row(const std::optional<std::int64_t>& line, const std::string& text)
{
    if (!m_messages)
        return;
    std::string& out = m_messages->Text();
    out += m_file;
    out += ',';
    if (line)
        out += std::to_string(*line);
    out += ',';
    AppendCsvField(out, text);
    out += "\r\n";
    m_messages->Commit();
}

void CCsvReportSink::EndFile(bool imported)
{
    if (m_files)
    {
        std::string& out = m_files->Text();
        out += m_file;
        out += imported ? ",yes," : ",no,";
        for (std::size_t count :
             {m_points, m_stations, m_observations, m_messageCount, m_warningCount})
        {
            out += std::to_string(count);
            out += ',';
        }
        AppendCsvField(out, m_reason);
        out += "\r\n";
        m_files->Flush();
    }
    if (m_messages)
        m_messages->Flush();
}

} // namespace Host

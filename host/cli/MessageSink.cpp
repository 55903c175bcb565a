#include "host/cli/MessageSink.h"

namespace Host
{

void CMessageSink::Message(const CMessage& message)
{
    Line(message.line, message.text, message.cause);
}

void CMessageSink::Warning(const CWarning& warning)
{
    Line(warning.line, warning.text, std::string());
}

void CMessageSink::Line(const std::optional<std::int64_t>& line, const std::string& text,
                        const std::string& cause)
{
    m_line = m_path;
    if (line)
    {
        m_line += ':';
        m_line += std::to_string(*line);
    }
    m_line += ": ";
    m_line += text;
    if (!cause.empty())
    {
        m_line += " (";
        m_line += cause;
        m_line += ')';
    }
    m_line += '\n';
    m_out.Write(m_line.data(), m_line.size());
}

} // namespace Host

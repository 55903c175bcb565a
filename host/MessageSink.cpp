#include "host/MessageSink.h"

namespace Host
{

void CMessageSink::Message(const CMessage& message)
{
    m_line = m_path;
    if (message.line)
    {
        m_line += ':';
        m_line += std::to_string(*message.line);
    }
    m_line += ": ";
    m_line += message.text;
    if (!message.cause.empty())
    {
        m_line += " (";
        m_line += message.cause;
        m_line += ')';
    }
    m_line += '\n';
    m_out.Write(m_line.data(), m_line.size());
}

} // namespace Host

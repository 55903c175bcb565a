#include "host/cli/Console.h"

#include <iostream>

namespace Host
{

CConsole::CConsole(bool terminal) : m_terminal(terminal), m_progress(std::cerr, terminal) {}

void CConsole::Write(const char* data, std::size_t size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_progress.Clear();
    std::cerr.write(data, static_cast<std::streamsize>(size));
    std::cerr.flush();
}

void CConsole::Progress(const std::string& path, float percent)
{
    if (!m_terminal)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_progress.Show(path, percent);
}

void CConsole::ClearProgress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_progress.Clear();
}

} // namespace Host

// stderr as the import's threads share it: message lines, and the progress bar of the file whose
// output is being written, cleared before any message so that each message starts a clean line.
#pragma once

#include "host/io/ByteSink.h"
#include "host/cli/ProgressBar.h"

#include <mutex>
#include <string>

namespace Host
{

class CConsole final : public IByteSink
{
public:
    // The bar is drawn only when stderr is a terminal.
    explicit CConsole(bool terminal);

    // Message text; a failure to write to stderr is not an output failure and is ignored.
    void Write(const char* data, std::size_t size) override;
    void Progress(const std::string& path, float percent);
    void ClearProgress();

private:
    // Fixed for the run: a bar that is never drawn costs no lock a line.
    const bool m_terminal;
    std::mutex m_mutex;
    CProgressBar m_progress;
};

} // namespace Host

// A one-line progress bar for a terminal, redrawn in place when the whole percent changes.
#pragma once

#include <ostream>
#include <string>

namespace Host
{

class CProgressBar
{
public:
    // A disabled bar writes nothing at all.
    CProgressBar(std::ostream& out, bool enabled) : m_out(out), m_enabled(enabled) {}

    void Show(const std::string& label, float percent);
    // Removes the bar from the line, so that other output starts at a clean line.
    void Clear();

private:
    std::ostream& m_out;
    bool m_enabled;
    std::size_t m_shownLength = 0;
    int m_shownPercent = -1;
    std::string m_shownLabel;
};

} // namespace Host

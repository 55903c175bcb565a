#include "host/cli/ProgressBar.h"

#include <cmath>

namespace Host
{
namespace
{

constexpr int BarWidth = 30;
constexpr std::size_t LabelWidth = 40;

} // namespace

void CProgressBar::Show(const std::string& label, float percent)
{
    if (!m_enabled)
        return;
    if (!(percent >= 0.0f))
        percent = 0.0f;
    if (percent > 100.0f)
        percent = 100.0f;
    int whole = static_cast<int>(std::floor(percent));
    if (whole == m_shownPercent && label == m_shownLabel)
        return;
    // A long path is shortened from the front, its end naming the file; the cut is moved past
    // any UTF-8 continuation bytes so that no character is split.
    std::string shown = label;
    if (label.size() > LabelWidth)
    {
        std::size_t cut = label.size() - (LabelWidth - 3);
        while (cut < label.size() && (static_cast<unsigned char>(label[cut]) & 0xC0) == 0x80)
            ++cut;
        shown = "..." + label.substr(cut);
    }
    int filled = whole * BarWidth / 100;
    std::string line = "\r" + shown + " [" + std::string(filled, '#') +
                       std::string(BarWidth - filled, '.') + "] " + std::to_string(whole) + "%";
    std::size_t length = line.size() - 1;
    if (length < m_shownLength)
        line += std::string(m_shownLength - length, ' ');
    m_out << line << std::flush;
    m_shownLength = length;
    m_shownPercent = whole;
    m_shownLabel = label;
}

void CProgressBar::Clear()
{
    if (!m_enabled || m_shownLength == 0)
        return;
    m_out << '\r' << std::string(m_shownLength, ' ') << '\r' << std::flush;
    m_shownLength = 0;
    m_shownPercent = -1;
    m_shownLabel.clear();
}

} // namespace Host

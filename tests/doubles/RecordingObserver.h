// An observer that keeps what it is told, in order, as text: "section DATABASE/POINTS",
// "setting 3: SEPARATOR", "unit 5: SPEED KMH", "end | # YMD", "end U+0000 ; DMY".
#pragma once

#include "parser/ReadObserver.h"
#include "tests/doubles/WideText.h"

#include <cstdio>
#include <string>
#include <vector>

namespace TestDoubles
{

class CRecordingObserver final : public IReadObserver
{
public:
    const std::vector<std::string>& Events() const { return m_events; }

    void SectionOpened(const std::wstring& path) override
    {
        m_events.push_back("section " + Utf8(path));
    }
    void LineIgnored(IgnoredLine kind, std::size_t lineIndex, const std::wstring& text) override
    {
        m_events.push_back((kind == IgnoredLine::HeaderSetting ? "setting " : "unit ") +
                           std::to_string(lineIndex) + ": " + Utf8(text));
    }
    void FileEnded(wchar_t separator, wchar_t terminator, DateOrder dateOrder) override
    {
        static const char* const kOrders[] = {"DMY", "MDY", "YMD", "MJD"};
        m_events.push_back("end " + Character(separator) + " " + Character(terminator) + " " +
                           kOrders[static_cast<int>(dateOrder)]);
    }

private:
    // A control character by its code: "U+0000".
    static std::string Character(wchar_t c)
    {
        if (c >= 0x20)
            return Utf8(std::wstring(1, c));
        char code[8];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
        return code;
    }

    std::vector<std::string> m_events;
};

} // namespace TestDoubles

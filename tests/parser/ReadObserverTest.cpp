// What the parser tells its observer of the sections, settings lines and settings of a file.
#include "parser/Parser.h"

#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/RecordingObserver.h"
#include "tests/doubles/RecordingReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using TestDoubles::CCountingConverterFactory;
using TestDoubles::CRecordingObserver;
using TestDoubles::CRecordingReceiver;
using Events = std::vector<std::string>;
using Lines = std::vector<std::wstring>;

// Feeds the lines, numbered from 0, ends the file and gives the receiver's calls.
std::vector<std::string> Parse(const Lines& lines, IReadObserver* observer)
{
    CCountingConverterFactory factory;
    CRecordingReceiver receiver(&factory);
    CParser parser(&receiver, observer);
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        std::wstring line = lines[i];
        parser.ProcessLine(line, i);
    }
    parser.FinishFile();
    return receiver.Calls();
}

Events Observed(const Lines& lines)
{
    CRecordingObserver observer;
    Parse(lines, &observer);
    return observer.Events();
}

struct ObserverCase
{
    const char* name;
    Lines lines;
    Events events;
};

const ObserverCase kCases[] = {
    {"defaults", {}, {"end , ; DMY"}},
    {"settings by character, by code and by low 16 bits of a code",
     {L"HEADER", L"SEPARATOR |", L"terminator 35", L"END HEADER", L"HEADER", L"SEPARATOR 124",
      L"Separator 65580", L"SEPARATOR '!'", L"END HEADER"},
     {"section HEADER", "end ! # DMY"}},
    {"a quoted digit is a code too",
     {L"HEADER", L"SEPARATOR '5'"},
     {"section HEADER", "end U+0005 ; DMY"}},
    {"settings that cannot be read",
     {L"HEADER", L"SEPARATOR", L"SEPARATOR , ;", L"SEPARATOR  ,", L"TERMINATOR 12x",
      L"TERMINATOR 99999999999", L"  SEPARATOR 'a b' c  ", L"PROJECT_NAME x y z", L"SEPARATOR ;",
      L"END HEADER"},
     {"section HEADER", "setting 1: SEPARATOR", "setting 2: SEPARATOR , ;",
      "setting 3: SEPARATOR  ,", "setting 4: TERMINATOR 12x", "setting 5: TERMINATOR 99999999999",
      "setting 6: SEPARATOR 'a b' c", "end ; ; DMY"}},
    {"an empty setting is a NUL, not a line passed over",
     {L"HEADER", L"TERMINATOR ''", L"END HEADER"},
     {"section HEADER", "end , U+0000 DMY"}},
    {"unit lines",
     {L"HEADER", L"UNITS", L"ANGULAR DMS", L"ANGULAR FOO", L"SPEED KMH", L"LINEAR", L"",
      L"TIME MDY extra", L"TEMP\tFAHRENHEIT", L"TIME MJD", L"time YMD", L"END UNITS",
      L"END HEADER"},
     {"section HEADER", "section HEADER/UNITS", "unit 3: ANGULAR FOO", "unit 4: SPEED KMH",
      "unit 5: LINEAR", "unit 6: ", "unit 7: TIME MDY extra", "unit 10: time YMD", "end , ; MJD"}},
    {"date orders, the last one standing",
     {L"HEADER", L"UNITS", L"TIME YMD", L"TIME MDY", L"END UNITS", L"END HEADER"},
     {"section HEADER", "section HEADER/UNITS", "end , ; MDY"}},
    {"settings lines count only inside HEADER itself",
     {L"SEPARATOR x", L"HEADER", L"UNITS", L"SEPARATOR x", L"END UNITS", L"OFFSETS", L"SEPARATOR",
      L"END OFFSETS", L"END HEADER", L"DATABASE", L"SEPARATOR", L"END DATABASE"},
     {"section HEADER", "section HEADER/UNITS", "unit 3: SEPARATOR x", "section HEADER/OFFSETS",
      "section DATABASE", "end , ; DMY"}},
    {"sections opened, each path once, skipped ones by their head's name",
     {L"HEADER",
      L"PROJECT",
      L"END PROJECT",
      L"END HEADER",
      L"DATABASE",
      L"POINTS(PointNo,PointID)",
      L"THEMINFO(a,b)",
      L"END THEMINFO",
      L"PNT_ACCURACY",
      L"END PNT_ACCURACY",
      L"END POINTS",
      L"JOBS (x)",
      L"END JOBS",
      L"POINTS",
      L"END POINTS",
      L"POINTS(PointNo)",
      L"END POINTS",
      L"END DATABASE",
      L"FOO",
      L"THEODOLITE",
      L"SETUP",
      L"END SETUP",
      L"SLOPE(TgtNo,TgtID)",
      L"END SLOPE",
      L"INSTRUMENTS",
      L"END INSTRUMENTS",
      L"END THEODOLITE",
      L"METEO",
      L"ELEMENTS(StnNo,DryTemp)",
      L"END ELEMENTS",
      L"END METEO"},
     {"section HEADER", "section HEADER/PROJECT", "section DATABASE", "section DATABASE/POINTS",
      "section DATABASE/POINTS/THEMINFO", "section DATABASE/POINTS/PNT_ACCURACY",
      "section DATABASE/JOBS", "section THEODOLITE", "section THEODOLITE/SETUP",
      "section THEODOLITE/SLOPE", "section THEODOLITE/INSTRUMENTS", "section METEO",
      "section METEO/ELEMENTS", "end , ; DMY"}},
    {"a head read with the separator in force",
     {L"HEADER", L"SEPARATOR ;", L"END HEADER", L"DATABASE", L"POINTS(PointNo;PointID)",
      L"END POINTS", L"END DATABASE"},
     {"section HEADER", "section DATABASE", "section DATABASE/POINTS", "end ; ; DMY"}},
};

TEST(ReadObserver, SeesWhatTheParserDoes)
{
    for (const ObserverCase& c : kCases)
        EXPECT_EQ(c.events, Observed(c.lines)) << c.name;
}

// Throws on every report; the parser goes on as if no one listened.
class CThrowingObserver final : public IReadObserver
{
public:
    void SectionOpened(const std::wstring&) override { throw std::runtime_error("section"); }
    void LineIgnored(IgnoredLine, std::size_t, const std::wstring&) override
    {
        throw std::runtime_error("line");
    }
    void FileEnded(wchar_t, wchar_t, DateOrder) override { throw std::runtime_error("end"); }
};

TEST(ReadObserver, WhatAnObserverThrowsChangesNothingTheReceiverGets)
{
    const Lines lines = {
        L"HEADER",    L"SEPARATOR",  L"UNITS",       L"SPEED KMH",
        L"END UNITS", L"END HEADER", L"DATABASE",    L"POINTS(PointNo,PointID,North)",
        L"1,P1,10",   L"END POINTS", L"END DATABASE"};
    CThrowingObserver throwing;
    const std::vector<std::string> withoutObserver = Parse(lines, nullptr);
    EXPECT_EQ(withoutObserver, Parse(lines, &throwing));
    EXPECT_NE(std::find(withoutObserver.begin(), withoutObserver.end(), "BeginPoint(P1)"),
              withoutObserver.end());
}

} // namespace

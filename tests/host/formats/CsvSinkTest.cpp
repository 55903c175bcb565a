// The CSV tables as they are streamed, the values without a column, and the report tables.
#include "host/formats/csv/CsvSink.h"
#include "host/formats/csv/CsvReportSink.h"
#include "tests/host/SinkDoubles.h"
#include "tests/host/formats/SinkSample.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using Host::CRecord;
using HostTest::CSampleFile;
using HostTest::CStringSink;
using HostTest::ReadGolden;
using HostTest::Replay;
using HostTest::Sample;

TEST(CsvSinkTest, WritesTheSampleAsItsGoldenTables)
{
    const auto files = Sample();
    CStringSink points, stations, observations;
    Host::WriteCsvHeader(Host::CsvTable::Points, points);
    Host::WriteCsvHeader(Host::CsvTable::Stations, stations);
    Host::WriteCsvHeader(Host::CsvTable::Observations, observations);
    Host::CCsvSink sink(&points, &stations, &observations);
    Replay(files, sink);
    EXPECT_EQ(ReadGolden("sample-stream/points.csv"), points.text);
    EXPECT_EQ(ReadGolden("sample-stream/stations.csv"), stations.text);
    EXPECT_EQ(ReadGolden("sample-stream/observations.csv"), observations.text);
}

TEST(CsvSinkTest, ValuesWithoutAColumnGoToExtraValues)
{
    Host::CRecord point;
    point.name = "P, 1";
    point.north = 1.0;
    point.instrumentHeight = 1.25;
    point.date = "20210614";
    Host::CRecord station;
    station.name = "S1";
    station.instrumentHeight = 1.5;
    station.north = 7.0;
    station.code = "TRIG";
    Host::CRecord observation;
    observation.name = "T1";
    observation.code = "MARK";
    observation.horizontalAngle = 0.5;
    observation.pressure = 1000.0;
    observation.pointClass = 2;

    CStringSink points, stations, observations, extras;
    Host::WriteCsvHeader(Host::CsvTable::ExtraValues, extras);
    Host::CCsvSink sink(&points, &stations, &observations, &extras);
    for (const char* file : {"a.idx", "b.idx"})
    {
        sink.BeginFile(file);
        sink.Point(Host::CRecord{});
        sink.Point(point);
        sink.Station(station, 1);
        sink.Observation(Host::CRecord{}, &station, 1);
        sink.Observation(observation, &station, 1);
        sink.EndFile(true);
    }
    const std::string perFile = ",points,2,\"P, 1\",instrument_height,1.25\r\n"
                                ",points,2,\"P, 1\",date,20210614\r\n"
                                ",stations,1,S1,code,TRIG\r\n"
                                ",stations,1,S1,north,7\r\n"
                                ",observations,2,T1,class,2\r\n"
                                ",observations,2,T1,pressure,1000\r\n";
    std::string expected = "file,table,record,name,field,value\r\n";
    for (const char* file : {"a.idx", "b.idx"})
    {
        std::size_t start = 0;
        for (std::size_t end; (end = perFile.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            expected += file + perFile.substr(start, end + 2 - start);
    }
    EXPECT_EQ(expected, extras.text) << "each file numbers its records from 1";
    EXPECT_EQ(std::string::npos, points.text.find("1.25")) << "the tables are as before";
}

TEST(CsvReportSinkTest, MessagesAndTheStatusOfEachFile)
{
    CStringSink messages, files;
    Host::WriteCsvReportHeader(Host::CsvReport::Messages, messages);
    Host::WriteCsvReportHeader(Host::CsvReport::Files, files);
    Host::CCsvReportSink sink(&messages, &files);
    sink.BeginFile("good.idx");
    sink.Point(Host::CRecord{});
    sink.Point(Host::CRecord{});
    sink.Station(Host::CRecord{}, 1);
    sink.Observation(Host::CRecord{}, nullptr, 0);
    sink.Message({12, "no name, no point", false});
    sink.Warning({13, "\"N/A\" is not a length"});
    sink.EndFile(true);
    sink.BeginFile("bad.idx");
    Host::CMessage missing{std::nullopt, "cannot open", true};
    missing.cause = "no such file";
    sink.Message(missing);
    sink.Message({std::nullopt, "\"unknown\" format", true});
    sink.EndFile(false);
    EXPECT_EQ("file,line,text\r\n"
              "good.idx,12,\"no name, no point\"\r\n"
              "good.idx,13,\"\"\"N/A\"\" is not a length\"\r\n"
              "bad.idx,,cannot open\r\n"
              "bad.idx,,\"\"\"unknown\"\" format\"\r\n",
              messages.text);
    EXPECT_EQ("file,imported,points,stations,observations,messages,warnings,reason\r\n"
              "good.idx,yes,2,1,1,1,1,\r\n"
              "bad.idx,no,0,0,0,2,0,\"cannot open (no such file); \"\"unknown\"\" format\"\r\n",
              files.text);
}

} // namespace

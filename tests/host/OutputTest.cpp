#include "host/Output.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using Host::CFileRecords;
using Host::CRecord;

std::vector<CFileRecords> Sample()
{
    CFileRecords job;
    job.path = "dir/job, 1.idx";
    job.messages.push_back({5, "Не указано имя точки", false});
    CRecord point;
    point.name = "P\"1\"";
    point.north = 1000.5;
    point.east = 0.1;
    point.pointClass = 1;
    point.code = "a,b";
    job.points.push_back(point);
    CRecord bare;
    bare.name = "P2";
    bare.elevation = -3.25;
    job.points.push_back(bare);
    CRecord early;
    early.name = "T0";
    early.slopeDistance = 12.0;
    job.observationsWithoutStation.push_back(early);
    Host::CStation station;
    station.station.name = "S1";
    station.station.instrumentHeight = 1.55;
    station.station.temperature = 20.0;
    CRecord target;
    target.name = "T1";
    target.code = "line\nbreak";
    target.horizontalAngle = 0.7853981633974483;
    target.verticalAngle = 1.5;
    target.reflectorHeight = 1.7;
    target.date = "20191225";
    target.verticalAngleOffset = 1.5707963267949;
    station.observations.push_back(target);
    job.stations.push_back(station);

    CFileRecords missing;
    missing.path = "missing.idx";
    missing.messages.push_back({std::nullopt, "Не удается открыть файл", true});
    return {job, missing};
}

TEST(OutputTest, JsonStatesUnitsAndKeepsFileOrder)
{
    const char* expected = R"({
  "units": {
    "angle": "radians",
    "length": "metres",
    "temperature": "degrees Celsius",
    "pressure": "hectopascals"
  },
  "files": [
    {
      "path": "dir/job, 1.idx",
      "imported": true,
      "messages": [
        {
          "line": 5,
          "text": "Не указано имя точки"
        }
      ],
      "warnings": [],
      "points": [
        {
          "name": "P\"1\"",
          "code": "a,b",
          "north": 1000.5,
          "east": 0.1,
          "class": 1
        },
        {
          "name": "P2",
          "elevation": -3.25
        }
      ],
      "stations": [
        {
          "name": "S1",
          "instrument_height": 1.55,
          "temperature": 20.0,
          "observations": [
            {
              "target": "T1",
              "code": "line\nbreak",
              "horizontal_angle": 0.7853981633974483,
              "vertical_angle": 1.5,
              "reflector_height": 1.7,
              "date": "20191225",
              "vertical_angle_offset": 1.5707963267949
            }
          ]
        }
      ],
      "observations_without_station": [
        {
          "target": "T0",
          "slope_distance": 12.0
        }
      ]
    },
    {
      "path": "missing.idx",
      "imported": false,
      "messages": [
        {
          "line": null,
          "text": "Не удается открыть файл"
        }
      ],
      "warnings": [],
      "points": [],
      "stations": [],
      "observations_without_station": []
    }
  ]
}
)";
    EXPECT_EQ(expected, Host::ToJson(Sample()));
}

TEST(OutputTest, JsonOfNothingIsAnEmptyFileList)
{
    EXPECT_NE(std::string::npos, Host::ToJson({}).find("\"files\": []"));
}

TEST(OutputTest, CsvTablesHaveHeadersAndOneRowPerRecord)
{
    std::ostringstream points, stations, observations;
    auto files = Sample();
    Host::WritePointsCsv(files, points);
    Host::WriteStationsCsv(files, stations);
    Host::WriteObservationsCsv(files, observations);
    EXPECT_EQ("file,name,north,east,elevation,class,code\r\n"
              "\"dir/job, 1.idx\",\"P\"\"1\"\"\",1000.5,0.1,,1,\"a,b\"\r\n"
              "\"dir/job, 1.idx\",P2,,,-3.25,,\r\n",
              points.str());
    EXPECT_EQ("file,setup,name,instrument_height,temperature,pressure\r\n"
              "\"dir/job, 1.idx\",1,S1,1.55,20,\r\n",
              stations.str());
    EXPECT_EQ("file,setup,station,target,code,horizontal_angle,vertical_angle,slope_distance,"
              "reflector_height,date,vertical_angle_offset\r\n"
              "\"dir/job, 1.idx\",,,T0,,,,12,,,\r\n"
              "\"dir/job, 1.idx\",1,S1,T1,\"line\nbreak\",0.7853981633974483,1.5,,1.7,20191225,"
              "1.5707963267949\r\n",
              observations.str());
}

TEST(OutputTest, CsvFieldsAreQuotedOnlyWhenNeeded)
{
    const struct
    {
        const char* text;
        const char* field;
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {" spaced ", " spaced "},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"cr\rlf", "\"cr\rlf\""},
        {"new\nline", "\"new\nline\""},
        {"semi;colon", "semi;colon"},
        {"Пункт", "Пункт"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.field, Host::CsvField(c.text)) << c.text;
}

TEST(OutputTest, NumbersAreShortestRoundTrip)
{
    EXPECT_EQ("0.1", Host::FormatNumber(0.1));
    EXPECT_EQ("100", Host::FormatNumber(100.0));
    EXPECT_EQ("-3.25", Host::FormatNumber(-3.25));
    EXPECT_EQ("1.5707963267949", Host::FormatNumber(1.5707963267949));
    EXPECT_EQ("1e-07", Host::FormatNumber(1e-7));
}

} // namespace

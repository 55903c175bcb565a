// The GeoJSON sink: features as the records come, stations and observations placed by name, those
// whose point comes later held to the end of the file, and one separator between features
// whichever file wrote them.
#include "host/formats/geojson/GeoJsonSink.h"
#include "host/io/OrderedOutput.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace
{

using HostTest::CStringSink;
using HostTest::Named;
using HostTest::Point;

using Host::CRecord;

std::size_t Features(const std::string& text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("\"Feature\""); at != std::string::npos;
         at = text.find("\"Feature\"", at + 1))
        ++count;
    return count;
}

nlohmann::json Document(const std::string& features)
{
    CStringSink out;
    Host::WriteGeoJsonDocumentStart(out);
    out.text += features;
    Host::WriteGeoJsonDocumentEnd(out);
    return nlohmann::json::parse(out.text);
}

TEST(GeoJsonSinkTest, WritesPointsAsTheyComeAndTheRestWhenTheirPointsAreKnown)
{
    CStringSink features;
    Host::CFirstSeparatorDropped first(features);
    Host::CGeoJsonSink sink(first);
    sink.BeginFile("job.idx");
    CRecord a = Point("A", 10, 20);
    a.elevation = 3.5;
    a.code = "TRIG";
    a.pointClass = 1;
    sink.Point(a);
    sink.Point(Named("NOWHERE"));
    CRecord station = Named("A");
    station.instrumentHeight = 1.5;
    sink.Observation(Named("A"), nullptr, 0);
    sink.Station(station, 1);
    CRecord toB = Named("B");
    toB.horizontalAngle = 0.25;
    toB.slopeDistance = 12.5;
    toB.date = "20210614";
    sink.Observation(toB, &station, 1);
    sink.Observation(Named("NOWHERE"), &station, 1);
    sink.Station(Named("C"), 2);
    sink.Flush();
    EXPECT_EQ(2u, Features(features.text)) << "the point and the station so far:\n"
                                           << features.text;
    sink.Point(Point("B", 30, 40));
    sink.EndFile(true);

    const nlohmann::json document = Document(features.text);
    EXPECT_EQ("FeatureCollection", document["type"]);
    const nlohmann::json& list = document["features"];
    ASSERT_EQ(4u, list.size()) << features.text;
    EXPECT_EQ(nlohmann::json::parse(R"({"type": "Feature",
        "geometry": {"type": "Point", "coordinates": [20.0, 10.0, 3.5]},
        "properties": {"kind": "point", "file": "job.idx", "name": "A", "code": "TRIG",
                       "class": 1}})"),
              list[0]);
    EXPECT_EQ(nlohmann::json::parse(R"({"type": "Feature",
        "geometry": {"type": "Point", "coordinates": [20.0, 10.0, 3.5]},
        "properties": {"kind": "station", "file": "job.idx", "setup": 1, "name": "A",
                       "instrument_height": 1.5}})"),
              list[1]);
    EXPECT_EQ(nlohmann::json::parse(R"({"type": "Feature",
        "geometry": {"type": "Point", "coordinates": [40.0, 30.0]},
        "properties": {"kind": "point", "file": "job.idx", "name": "B"}})"),
              list[2]);
    // Its target came later; the elevation of A is left out, as B has none.
    EXPECT_EQ(nlohmann::json::parse(R"({"type": "Feature",
        "geometry": {"type": "LineString", "coordinates": [[20.0, 10.0], [40.0, 30.0]]},
        "properties": {"kind": "observation", "file": "job.idx", "setup": 1, "station": "A",
                       "target": "B", "horizontal_angle": 0.25, "slope_distance": 12.5,
                       "date": "20210614"}})"),
              list[3]);
}

TEST(GeoJsonSinkTest, NamesArePlacedWithinTheirOwnFile)
{
    CStringSink features;
    Host::CFirstSeparatorDropped first(features);
    Host::CGeoJsonSink sink(first);
    sink.BeginFile("one.idx");
    sink.Point(Point("A", 1, 2));
    sink.EndFile(true);
    sink.BeginFile("two.idx");
    sink.Station(Named("A"), 1);
    sink.EndFile(true);
    const nlohmann::json document = Document(features.text);
    ASSERT_EQ(1u, document["features"].size());
    EXPECT_EQ("one.idx", document["features"][0]["properties"]["file"]);
}

TEST(GeoJsonSinkTest, FilesWithoutFeaturesLeaveTheListWhole)
{
    // Files written by several sinks through an ordered output, the first ones empty.
    const struct
    {
        std::vector<int> points; // per file
        std::size_t expected;
    } cases[] = {
        {{}, 0}, {{0}, 0}, {{0, 0, 2}, 2}, {{1, 0, 1}, 2}, {{0, 3, 0, 1}, 4},
    };
    for (const auto& c : cases)
    {
        CStringSink out;
        Host::WriteGeoJsonDocumentStart(out);
        Host::CFirstSeparatorDropped first(out);
        Host::COrderedOutput ordered(first, c.points.size());
        // Written last file first, so that all but the first spool.
        for (std::size_t i = c.points.size(); i-- > 0;)
        {
            Host::CGeoJsonSink sink(ordered.Producer(i));
            sink.BeginFile("f" + std::to_string(i));
            for (int p = 0; p < c.points[i]; ++p)
                sink.Point(Point("P" + std::to_string(p), p, p));
            sink.EndFile(true);
        }
        for (std::size_t i = 0; i < c.points.size(); ++i)
            ordered.Finish(i);
        Host::WriteGeoJsonDocumentEnd(out);
        nlohmann::json document;
        ASSERT_NO_THROW(document = nlohmann::json::parse(out.text)) << out.text;
        EXPECT_EQ(c.expected, document["features"].size()) << out.text;
    }
}

} // namespace

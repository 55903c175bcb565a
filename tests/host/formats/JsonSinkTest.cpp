// The JSON document as it is streamed: its layout, its strings and its numbers.
#include "host/formats/json/JsonSink.h"
#include "tests/host/SinkDoubles.h"
#include "tests/host/formats/SinkSample.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
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

std::string StreamedJson(const std::vector<CSampleFile>& files)
{
    CStringSink out;
    Host::WriteJsonDocumentStart(out);
    Host::CJsonSink sink(out);
    Replay(files, sink);
    Host::WriteJsonDocumentEnd(out, !files.empty());
    return out.text;
}

TEST(JsonSinkTest, WritesTheSampleAsItsGoldenDocument)
{
    EXPECT_EQ(ReadGolden("sample-stream.json"), StreamedJson(Sample()));
}

TEST(JsonSinkTest, IndentsLikeTheWholeDocumentAndClosesEachFileWithItsMessages)
{
    const std::string streamed = StreamedJson(Sample());
    // Re-indenting the parsed document with the same layout must give the same bytes, so the
    // stream is laid out exactly as nlohmann-json lays out a document.
    EXPECT_EQ(nlohmann::ordered_json::parse(streamed).dump(2) + "\n", streamed);
    const auto document = nlohmann::ordered_json::parse(streamed);
    std::vector<std::string> keys;
    for (const auto& item : document["files"][0].items())
        keys.push_back(item.key());
    const std::vector<std::string> expected = {
        "path",     "points",   "stations", "observations_without_station",
        "imported", "messages", "warnings"};
    EXPECT_EQ(expected, keys);
    EXPECT_EQ(0u, streamed.find("{\n  \"units\": {"));
    EXPECT_NE(std::string::npos, StreamedJson({}).find("\"files\": []\n}\n"));
}

} // namespace

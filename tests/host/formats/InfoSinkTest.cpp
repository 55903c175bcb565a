#include "host/formats/summary/InfoSink.h"
#include "host/kit/UnitConverters.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <string>

namespace
{

using HostTest::CStringSink;

using Host::CUnitChoice;
using Host::Quantity;

CUnitChoice Choice(Quantity quantity, std::int32_t code, std::optional<std::int64_t> line)
{
    CUnitChoice choice;
    choice.quantity = quantity;
    choice.unitCode = code;
    choice.line = line;
    return choice;
}

// One file that was never on disk, so that only the stream is summarised.
void Feed(Host::IRecordSink& sink)
{
    sink.BeginFile("gone.idx");
    sink.UnitChosen(Choice(Quantity::Angle, Host::AngleUnit::Grads, std::nullopt));
    sink.UnitChosen(Choice(Quantity::Length, Host::LinearUnit::Metre, std::nullopt));
    sink.UnitChosen(Choice(Quantity::Angle, Host::AngleUnit::Degrees, 5));
    sink.UnitChosen(Choice(Quantity::Angle, Host::AngleUnit::Degrees, 9));
    sink.UnitChosen(Choice(Quantity::Angle, Host::AngleUnit::DottedDms, 12));
    sink.UnitChosen(Choice(Quantity::Pressure, Host::PressureUnit::Hectopascal, std::nullopt));
    sink.UnitChosen(Choice(Quantity::Pressure, Host::PressureUnit::Hectopascal, 14));
    sink.Point(Host::CRecord());
    sink.Point(Host::CRecord());
    sink.Station(Host::CRecord(), 1);
    sink.Observation(Host::CRecord(), nullptr, 1);
    sink.Message({20, "bad row", false});
    sink.Warning({21, "\"N/A\" is not a length"});
    sink.EndFile(true);
}

TEST(InfoSinkTest, TextListsEachUnitThatChangedAndTheCounts)
{
    CStringSink out;
    Host::CInfoSink sink(out, Host::InfoLayout::Text, 0);
    Feed(sink);
    EXPECT_EQ("gone.idx\n"
              "  angles: degrees, from line 5; degrees, minutes and seconds (packed), from line "
              "12\n"
              "  lengths: metres (default)\n"
              "  pressures: hectopascals, from line 14\n"
              "  points: 2, stations: 1, observations: 1, messages: 1, warnings: 1\n"
              "  messages:\n"
              "    line 20: bad row\n"
              "  warnings:\n"
              "    line 21: \"N/A\" is not a length\n",
              out.text);
}

TEST(InfoSinkTest, JsonHoldsTheSameSummaryForScripts)
{
    CStringSink out;
    Host::WriteInfoDocumentStart(out);
    Host::CInfoSink sink(out, Host::InfoLayout::Json, 0);
    Feed(sink);
    Host::WriteInfoDocumentEnd(out, true);
    const auto document = nlohmann::json::parse(out.text);
    const auto& file = document.at("files").at(0);
    EXPECT_EQ("gone.idx", file.at("path"));
    EXPECT_EQ(2u, file.at("units").at("angle").size());
    EXPECT_EQ(12, file.at("units").at("angle").at(1).at("line"));
    EXPECT_EQ(true, file.at("units").at("angle").at(1).at("packed"));
    EXPECT_TRUE(file.at("units").at("length").at(0).at("line").is_null());
    EXPECT_TRUE(file.at("units").at("temperature").empty());
    EXPECT_TRUE(file.at("separator").is_null()) << "the file could not be read";
    EXPECT_EQ(2, file.at("counts").at("points"));
    EXPECT_EQ(1, file.at("counts").at("warnings"));
    EXPECT_EQ("bad row", file.at("messages").at(0).at("text"));
    EXPECT_EQ(21, file.at("warnings").at(0).at("line"));
}

} // namespace

// The plan view: the pure parts of the drawing (scale bar lengths, label thinning, XML text) and
// the SVG sink's placing of stations and targets by name.
#include "host/formats/svg/SvgPlan.h"
#include "host/formats/svg/SvgSink.h"
#include "tests/host/SinkDoubles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace
{

using HostTest::CStringSink;
using HostTest::Named;
using HostTest::Point;

using Host::CLabelAnchor;
using Host::CPlanFile;
using Host::CRecord;
using Host::CRoundLength;

TEST(PlanTest, ScaleBarTakesTheLongestRoundLengthThatFits)
{
    const struct
    {
        double metres;
        CRoundLength expected;
        const char* label;
    } cases[] = {
        {1, {1, 0}, "1 m"},
        {1.99, {1, 0}, "1 m"},
        {2, {2, 0}, "2 m"},
        {4.999, {2, 0}, "2 m"},
        {5, {5, 0}, "5 m"},
        {9.99, {5, 0}, "5 m"},
        {10, {1, 1}, "10 m"},
        {63.7, {5, 1}, "50 m"},
        {1234, {1, 3}, "1000 m"},
        {0.5, {5, -1}, "0.5 m"},
        {0.3, {2, -1}, "0.2 m"},
        {0.0999, {5, -2}, "0.05 m"},
        {0.001, {1, -3}, "0.001 m"},
        {2.5e7, {2, 7}, "20000000 m"},
        // Nothing to measure: a length still, rather than a loop without end.
        {0, {1, 0}, "1 m"},
        {-3, {1, 0}, "1 m"},
        {std::numeric_limits<double>::infinity(), {1, 0}, "1 m"},
        {std::numeric_limits<double>::quiet_NaN(), {1, 0}, "1 m"},
    };
    for (const auto& c : cases)
    {
        const CRoundLength length = Host::RoundLengthAtMost(c.metres);
        EXPECT_EQ(c.expected.digit, length.digit) << c.metres;
        EXPECT_EQ(c.expected.exponent, length.exponent) << c.metres;
        EXPECT_EQ(c.label, Host::ScaleBarLabel(length)) << c.metres;
        if (c.metres > 0 && c.metres < 1e300)
        {
            EXPECT_LE(length.Metres(), c.metres) << c.metres;
        }
    }
}

TEST(PlanTest, ExtremeLengthsStayWithinTheExponentRange)
{
    for (double metres : {1e300, 1e308, std::numeric_limits<double>::max(), 1e-300, 1e-320,
                          std::numeric_limits<double>::denorm_min()})
    {
        const CRoundLength length = Host::RoundLengthAtMost(metres);
        EXPECT_LE(length.exponent, 300) << metres;
        EXPECT_GE(length.exponent, -300) << metres;
        EXPECT_TRUE(std::isfinite(length.Metres())) << metres;
        EXPECT_GT(length.Metres(), 0) << metres;
    }
    EXPECT_GE(Host::RoundLengthAtMost(1e308).exponent, 299);
}

TEST(PlanTest, LabelsAreThinnedToOnePerCellPastTheLimit)
{
    const std::vector<CLabelAnchor> anchors = {
        {5, 5},   // cell (0, 0)
        {9, 9},   // the same cell
        {15, 5},  // the next cell, a whole cell away
        {12, 30}, // far from the others
        {-4, 5},  // cell (-1, 0), but nearer than a cell to the first
        {-6, 5},  // cell (-1, 0), far enough
        {5, -5},  // cell (0, -1), a whole cell below the first
        {5, 5},   // the same place as the first
    };
    const struct
    {
        std::size_t limit;
        std::vector<bool> expected;
    } cases[] = {
        {8, {true, true, true, true, true, true, true, true}},
        {100, {true, true, true, true, true, true, true, true}},
        {7, {true, false, true, true, false, true, true, false}},
        {0, {true, false, true, true, false, true, true, false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, Host::ThinLabels(anchors, 10, 10, c.limit)) << c.limit;
    EXPECT_TRUE(Host::ThinLabels({}, 10, 10, 0).empty());
}

std::pair<int, int> Cell(const CLabelAnchor& anchor)
{
    return {static_cast<int>(anchor.x / 64), static_cast<int>(anchor.y / 16)};
}

TEST(PlanTest, ThinnedLabelsNeitherShareACellNorComeTooClose)
{
    std::vector<CLabelAnchor> anchors;
    for (int i = 0; i < 1000; ++i)
        anchors.push_back({(i * 37) % 400 + 0.5, (i * 53) % 300 + 0.5});
    const std::vector<bool> shown = Host::ThinLabels(anchors, 64, 16, 300);
    std::vector<CLabelAnchor> kept;
    for (std::size_t i = 0; i < anchors.size(); ++i)
    {
        if (!shown[i])
            continue;
        for (const CLabelAnchor& other : kept)
        {
            EXPECT_FALSE(Cell(anchors[i]) == Cell(other)) << i;
            EXPECT_TRUE(std::fabs(anchors[i].x - other.x) >= 64 ||
                        std::fabs(anchors[i].y - other.y) >= 16)
                << i;
        }
        kept.push_back(anchors[i]);
    }
    // Every anchor left out is too close to one kept before it.
    for (std::size_t i = 0; i < anchors.size(); ++i)
    {
        if (shown[i])
            continue;
        bool near = false;
        for (std::size_t j = 0; j < i; ++j)
            near = near || (shown[j] && std::fabs(anchors[i].x - anchors[j].x) < 64 &&
                            std::fabs(anchors[i].y - anchors[j].y) < 16);
        EXPECT_TRUE(near) << i;
    }
    EXPECT_GT(kept.size(), 50u);
}

TEST(PlanTest, XmlTextEscapesMarkupAndReplacesWhatXmlCannotHold)
{
    const struct
    {
        std::string text;
        std::string expected;
    } cases[] = {
        {"PP-107", "PP-107"},
        {"", ""},
        {"A&B <C>", "A&amp;B &lt;C&gt;"},
        {"say \"x\" 'y'", "say &quot;x&quot; &apos;y&apos;"},
        {"&amp;", "&amp;amp;"},
        {"a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {std::string("a\0b", 3), "a\xEF\xBF\xBD"
                                 "b"},
        {"\x01\x1F\x7F", "\xEF\xBF\xBD\xEF\xBF\xBD\x7F"},
        {"Пункт 7", "Пункт 7"},
        {"\xF0\x9F\x93\x8D", "\xF0\x9F\x93\x8D"},                 // beyond the BMP
        {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"}, // U+FFFE, U+FFFF
        {"\xEF\xBF\xBD", "\xEF\xBF\xBD"},
        {"caf\xE9", "caf\xEF\xBF\xBD"}, // Latin-1, not UTF-8
        {"\xC3", "\xEF\xBF\xBD"},       // cut short
    };
    for (const auto& c : cases)
    {
        std::string out = "<";
        Host::AppendXmlText(out, c.text);
        EXPECT_EQ("<" + c.expected, out) << c.text;
    }
}

TEST(SvgSinkTest, PlacesStationsAndTargetsOnTheFirstPointOfTheirName)
{
    CPlanFile plan;
    Host::CSvgSink sink(plan);
    sink.BeginFile("job.idx");
    sink.Point(Point("A", 10, 20));
    sink.Point(Named("NOWHERE"));
    CRecord half = Named("HALF");
    half.north = 5;
    sink.Point(half);
    const CRecord station = Named("A");
    sink.Observation(Named("B"), nullptr, 0); // before the first station
    sink.Station(station, 1);
    sink.Observation(Named("B"), &station, 1);    // B comes later
    sink.Observation(Named("A"), &station, 1);    // onto itself: no ray
    sink.Observation(Named("HALF"), &station, 1); // no position
    sink.Observation(Named("B"), &station, 1);    // the same ray again
    sink.Station(Named("C"), 2);                  // C comes later
    sink.Station(Named("NOWHERE"), 3);
    sink.Point(Point("B", 30, 40));
    sink.Point(Point("A", 99, 99)); // a second A is drawn, but stations stay on the first
    sink.Point(Point("C", 50, 60));
    const CRecord c = Named("C");
    sink.Observation(Named("A"), &c, 2);
    sink.Observation(Named("B"), &c, 2);
    sink.EndFile(true);

    EXPECT_EQ("job.idx", plan.path);
    ASSERT_EQ(4u, plan.points.size());
    EXPECT_EQ("A", plan.points[0].name);
    EXPECT_TRUE(plan.points[0].station);
    EXPECT_FALSE(plan.points[1].station); // B
    EXPECT_FALSE(plan.points[2].station); // the second A
    EXPECT_TRUE(plan.points[3].station);  // C
    EXPECT_EQ(60, plan.points[3].east);
    EXPECT_EQ(50, plan.points[3].north);
    // Rays placed at once come before those placed at the end of the file.
    using Rays = std::vector<std::pair<std::size_t, std::size_t>>;
    EXPECT_EQ(Rays({{3, 0}, {3, 1}, {0, 1}}), plan.rays);
    EXPECT_EQ(2u, plan.pointsUnplaced);
    EXPECT_EQ(3u, plan.stations);
    EXPECT_EQ(1u, plan.stationsUnplaced);
    EXPECT_EQ(7u, plan.observations);
    EXPECT_EQ(2u, plan.observationsUnplaced);
}

std::string Plan(const std::vector<CPlanFile>& files)
{
    CStringSink out;
    Host::WriteSvgPlan(files, out);
    return out.text;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(SvgPlanTest, DrawsEachPointOnceAndEachRayOnce)
{
    CPlanFile file;
    file.path = "a&b.idx";
    file.points = {{0, 0, "S", true}, {100, 0, "T", false}, {0, 50, "", false}};
    file.rays = {{0, 1}, {0, 2}};
    const std::string svg = Plan({file});
    EXPECT_EQ(0u, svg.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "));
    EXPECT_EQ(3u + 1u, Count(svg, "<use href=\"#p\"")) << "and one in the legend";
    EXPECT_EQ(1u + 1u, Count(svg, "<use href=\"#s\""));
    EXPECT_NE(std::string::npos, svg.find(">a&amp;b.idx</text>"));
    // East to the right, north up: S at the bottom left, T at the bottom right, the nameless
    // point above S.
    EXPECT_NE(std::string::npos, svg.find("M44 444L844 444M44 444L44 44\""));
    EXPECT_EQ(std::string::npos, svg.find("<text x=\"49\" y=\"39\">")) << "a nameless point";
    EXPECT_NE(std::string::npos, svg.find(">20 m</text>")) << "of a bar at most a third as wide";
    EXPECT_EQ(svg.size() - 7, svg.rfind("</svg>\n"));
}

TEST(SvgPlanTest, ThinsTheLabelsOfALargeJobAndSaysSo)
{
    CPlanFile file;
    file.path = "grid.idx";
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 100; ++j)
            file.points.push_back({double(i), double(j), "P" + std::to_string(i * 100 + j), false});
    const std::string svg = Plan({file});
    // Six texts of the legend and two of the scale bar are not labels.
    const std::size_t labels = Count(svg, "<text x=") - 8;
    EXPECT_GT(labels, 100u);
    EXPECT_LT(labels, 1000u);
    EXPECT_NE(std::string::npos,
              svg.find(">labels: " + std::to_string(labels) + " of 10000 shown<"));
    // Far less than the 10000 points' own lines in a file would take.
    EXPECT_LT(svg.size(), 10000u * 45);
}

TEST(SvgPlanTest, GivesEachFileItsColourAndCountsTheRest)
{
    std::vector<CPlanFile> files(12);
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        files[i].path = "f" + std::to_string(i) + ".idx";
        files[i].points = {{double(i), double(i), "", false}};
    }
    const std::string svg = Plan(files);
    EXPECT_NE(std::string::npos, svg.find("<g fill=\"#1f77b4\" stroke=\"#1f77b4\">"));
    EXPECT_NE(std::string::npos, svg.find("<g fill=\"#d62728\" stroke=\"#d62728\">"));
    EXPECT_EQ(2u, Count(svg, "<g fill=\"#1f77b4\"")) << "the palette comes round again";
    EXPECT_NE(std::string::npos, svg.find(">f9.idx</text>"));
    EXPECT_EQ(std::string::npos, svg.find(">f10.idx</text>"));
    EXPECT_NE(std::string::npos, svg.find(">and 2 more files</text>"));
}

TEST(SvgPlanTest, DegeneratePlansAreStillWholeDocuments)
{
    CPlanFile one;
    one.points = {{5, 5, "P", false}};
    CPlanFile line;
    line.points = {{0, 0, "A", false}, {0, 100, "B", false}, {0, 300, "C", false}};
    CPlanFile far;
    far.points = {{-1e308, 0, "W", false}, {1e308, 0, "E", false}};
    CPlanFile empty;
    empty.stations = 1;
    empty.stationsUnplaced = 1;
    const struct
    {
        const char* what;
        std::vector<CPlanFile> files;
        const char* expected;
    } cases[] = {
        {"no file", {}, ">on the plan: 0 points, 0 stations, 0 observations<"},
        {"no point", {empty}, ">no position known<"},
        {"one point", {one}, ">0.1 m</text>"}, // drawn as 1 m across
        {"a line", {line}, ">20 m</text>"},
        {"wider than a double", {far}, ">on the plan: 2 points,"},
    };
    for (const auto& c : cases)
    {
        const std::string svg = Plan(c.files);
        EXPECT_NE(std::string::npos, svg.find(c.expected)) << c.what << '\n' << svg;
        EXPECT_EQ(Count(svg, "<g"), Count(svg, "</g>")) << c.what;
        EXPECT_EQ(svg.size() - 7, svg.rfind("</svg>\n")) << c.what;
        EXPECT_EQ(std::string::npos, svg.find("nan")) << c.what;
        EXPECT_EQ(std::string::npos, svg.find("inf")) << c.what;
    }
}

} // namespace

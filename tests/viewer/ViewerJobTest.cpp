#include "viewer/ViewerJob.h"
#include "viewer/SliceSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Viewer::Output;

const std::string Source = ORVA_SOURCE_DIR;
const std::string Golden = Source + "/tests/host/golden/";

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A file of the source tree, read through the slices as the page reads a browser's File.
class CDiskReader final : public Viewer::ISliceReader
{
public:
    explicit CDiskReader(const std::string& path) : m_file(std::fopen(path.c_str(), "rb")) {}
    ~CDiskReader()
    {
        if (m_file)
            std::fclose(m_file);
    }
    std::uint64_t Size()
    {
        std::fseek(m_file, 0, SEEK_END);
        return static_cast<std::uint64_t>(std::ftell(m_file));
    }
    long long ReadAt(std::uint64_t offset, char* buffer, std::size_t size) noexcept override
    {
        if (std::fseek(m_file, static_cast<long>(offset), SEEK_SET) != 0)
            return -1;
        return static_cast<long long>(std::fread(buffer, 1, size, m_file));
    }

private:
    std::FILE* m_file;
};

// Imports the files (named from the source tree, as the golden runs name them) in slices small
// enough that every file spans several.
std::vector<Viewer::FileOutcome> Import(Viewer::CViewerJob& job,
                                        const std::vector<std::string>& files)
{
    std::vector<Viewer::FileOutcome> outcomes;
    for (const std::string& name : files)
    {
        CDiskReader reader(Source + "/" + name);
        Viewer::CSliceSource source(reader, reader.Size(), 97);
        outcomes.push_back(job.Import(name, reader.Size(), source, [] { return std::string(); }));
    }
    job.Finish();
    return outcomes;
}

struct CGoldenCase
{
    std::vector<std::string> files;
    Host::CDisplayUnits units;
    Output output;
    const char* golden;
};

// Each output is the bytes orva-import gives for the same files and options, all outputs being
// made in the one job.
TEST(ViewerJob, OutputsAreOrvaImportsForTheSameFilesAndUnits)
{
    using Host::AngleDisplay;
    using Host::LengthDisplay;
    const std::vector<std::string> job{"examples/survey-job.idx"};
    const std::vector<std::string> both{"examples/survey-job.idx",
                                        "examples/site-control-points.idx"};
    const std::vector<std::string> export_{"tests/host/data/spreadsheet-export.idx"};
    const Host::CDisplayUnits plain;
    const Host::CDisplayUnits degFeet{AngleDisplay::Degrees, LengthDisplay::UsSurveyFeet};
    const Host::CDisplayUnits dmsFeet{AngleDisplay::DegreesMinutesSeconds,
                                      LengthDisplay::InternationalFeet};
    const CGoldenCase cases[] = {
        {job, plain, Output::Json, "survey-job.json"},
        {job, degFeet, Output::Json, "survey-job-deg-usft.json"},
        {export_, dmsFeet, Output::Json, "spreadsheet-export-dms-ft.json"},
        {job, plain, Output::Plan, "survey-job.svg"},
        {both, plain, Output::Plan, "examples.svg"},
        {job, plain, Output::GeoJson, "survey-job.geojson"},
        {job, dmsFeet, Output::GeoJson, "survey-job-dms-ft.geojson"},
        {both, plain, Output::Points, "csv/points.csv"},
        {both, plain, Output::Stations, "csv/stations.csv"},
        {both, plain, Output::Observations, "csv/observations.csv"},
        {both, plain, Output::ExtraValues, "csv/extra_values.csv"},
        {both, plain, Output::Messages, "csv/messages.csv"},
        {both, plain, Output::Files, "csv/files.csv"},
        {export_, dmsFeet, Output::Points, "csv-dms-ft/points.csv"},
        {export_, dmsFeet, Output::Observations, "csv-dms-ft/observations.csv"},
        {export_, dmsFeet, Output::Messages, "csv-dms-ft/messages.csv"},
    };
    for (const CGoldenCase& c : cases)
    {
        Viewer::CViewerJob viewer(~std::uint32_t{0}, c.units);
        Import(viewer, c.files);
        EXPECT_EQ(FileText(Golden + c.golden), viewer.Text(c.output)) << c.golden;
    }
}

TEST(ViewerJob, MakesOnlyTheOutputsAskedFor)
{
    Viewer::CViewerJob viewer(Viewer::Bit(Output::Summary) | Viewer::Bit(Output::Points),
                              Host::CDisplayUnits{});
    Import(viewer, {"examples/survey-job.idx"});
    EXPECT_NE(std::string::npos, viewer.Text(Output::Summary).find("\"points\": 4"));
    EXPECT_EQ(5, std::count(viewer.Text(Output::Points).begin(), viewer.Text(Output::Points).end(),
                            '\n'));
    for (Output other : {Output::Plan, Output::Json, Output::GeoJson, Output::Stations,
                         Output::Messages, Output::Files})
        EXPECT_EQ("", viewer.Text(other)) << static_cast<int>(other);
}

TEST(ViewerJob, AFileThePageCannotReadIsInTheOutputsAsNotImported)
{
    class CFailing final : public Viewer::ISliceReader
    {
    public:
        long long ReadAt(std::uint64_t, char*, std::size_t) noexcept override { return -1; }
    } reader;
    Viewer::CViewerJob viewer(Viewer::Bit(Output::Files), Host::CDisplayUnits{});
    Viewer::CSliceSource source(reader, 1000);
    EXPECT_EQ(Viewer::FileOutcome::NotImported,
              viewer.Import("lost.idx", 1000, source, [] { return "the disk is gone"; }));
    viewer.Finish();
    EXPECT_NE(std::string::npos, viewer.Text(Output::Files).find("lost.idx,no,0,0,0,1,0,"));
    EXPECT_NE(std::string::npos, viewer.Text(Output::Files).find("(the disk is gone)"));
}

TEST(ViewerJob, AFilePastTwoGigabytesIsNotReadAndTheJobGoesOn)
{
    class CUntouchable final : public Viewer::ISliceReader
    {
    public:
        long long ReadAt(std::uint64_t, char*, std::size_t) noexcept override
        {
            ADD_FAILURE() << "a file too large was read";
            return -1;
        }
    } reader;
    Viewer::CViewerJob viewer(Viewer::Bit(Output::Points), Host::CDisplayUnits{});
    const std::uint64_t large = Viewer::CViewerJob::LargestFile + 1;
    Viewer::CSliceSource source(reader, large);
    EXPECT_EQ(Viewer::FileOutcome::TooLarge,
              viewer.Import("huge.idx", large, source, [] { return std::string(); }));
    const auto outcomes = Import(viewer, {"examples/survey-job.idx"});
    EXPECT_EQ(Viewer::FileOutcome::Imported, outcomes.at(0));
    const std::string& points = viewer.Text(Output::Points);
    EXPECT_EQ(std::string::npos, points.find("huge.idx"));
    EXPECT_EQ(5, std::count(points.begin(), points.end(), '\n'));
}

} // namespace

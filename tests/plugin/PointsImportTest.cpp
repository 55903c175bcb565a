#include "plugin/HostInterfaces.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/FileList.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/doubles/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

extern "C" Plugin::IGroundBasedMIP* CreatePlugin(void);

namespace
{

using TestDoubles::CCountingConverterFactory;
using TestDoubles::CFileList;
using TestDoubles::CRecordingReceiver;
typedef std::vector<std::string> Calls;

const std::string kExample = std::string(ORVA_SOURCE_DIR) + "/examples/site-control-points.idx";
constexpr int kExampleLines = 44;

// The calls of an import with each record tagged by the line announced before it ("22:" for the
// 23rd line of the file, "-:" before the first), and the per-line bookkeeping checked on the way:
// every line is announced once, in order, and followed by its progress.
Calls TaggedRecords(const Calls& calls, int lineCount)
{
    Calls tagged;
    std::string line = "-";
    int expectedLine = 0;
    for (const std::string& call : calls)
    {
        if (call.rfind("SetCurrentLine(", 0) == 0)
        {
            EXPECT_EQ("SetCurrentLine(" + std::to_string(expectedLine) + ")", call);
            line = std::to_string(expectedLine++);
        }
        else if (call.rfind("SetProgress(", 0) == 0)
        {
            tagged.push_back(line + ":Progress");
        }
        else
        {
            tagged.push_back(line + ":" + call);
        }
    }
    EXPECT_EQ(lineCount, expectedLine);
    // Progress after each line, then once more for the whole file.
    std::vector<std::string> progress;
    for (const std::string& call : calls)
        if (call.rfind("SetProgress(", 0) == 0)
            progress.push_back(call);
    EXPECT_EQ(static_cast<std::size_t>(lineCount) + 1, progress.size());
    if (!progress.empty())
    {
        EXPECT_EQ("SetProgress(100)", progress.back());
    }
    // Drop the progress entries now that they are counted; keep the records.
    Calls records;
    for (const std::string& entry : tagged)
        if (entry.find(":Progress") == std::string::npos)
            records.push_back(entry);
    return records;
}

TEST(PointsImport, TheSiteControlPointsExampleImportsEndToEnd)
{
    CCountingConverterFactory factory;
    CRecordingReceiver receiver(&factory);
    CFileList files({TestDoubles::Wide(kExample)});

    Plugin::IGroundBasedMIP* plugin = CreatePlugin();
    ASSERT_NE(nullptr, plugin);
    plugin->Import(&files, &receiver);
    EXPECT_TRUE(plugin->Release());

    const std::string numberMissing = "ReportLineError(Не указан уникальный номер точки)";
    const std::string nameMissing = "ReportLineError(Не указано имя точки)";
    const std::string unreadable = "ReportLineError(Не удается разобрать строку)";
    const Calls expected = {
        "-:BeginFile(" + kExample + ")",
        "-:GetConverterFactory",
        // UNITS: one factory request per converter line; TIME needs none.
        "9:GetConverterFactory",
        "10:GetConverterFactory",
        "11:GetConverterFactory",
        "12:GetConverterFactory",
        "22:BeginPoint(CP100)",
        "22:SetNorth(5432100.125)",
        "22:SetEast(412345.678)",
        "22:SetElevation(102.345)",
        "22:SetPointClass(1)",
        "22:SetCode(BM)",
        "23:BeginPoint(CP101)",
        "23:SetNorth(5432187.402)",
        "23:SetEast(412398.015)",
        "23:SetElevation(101.87)",
        "23:SetPointClass(1)",
        "23:SetCode(BM)",
        "24:BeginPoint(CP102)",
        "24:SetNorth(5432250.66)",
        "24:SetEast(412301.442)",
        "24:SetElevation(103.112)",
        "24:SetPointClass(1)",
        "24:SetCode(PILLAR)",
        "25:BeginPoint(AB1)",
        "25:SetNorth(5432140.009)",
        "25:SetEast(412360.5)",
        "25:SetPointClass(1)",
        "25:SetCode(ABUT)",
        "26:BeginPoint(AB2)",
        "26:SetNorth(5432155.333)",
        "26:SetEast(412371.25)",
        "26:SetElevation(98.004)",
        "26:SetPointClass(1)",
        "26:SetCode(ABUT)",
        // 27: class EST, dropped.
        "28:BeginPoint()",
        "28:SetNorth(5432170.5)",
        "28:SetEast(412390.25)",
        "28:SetElevation(99.75)",
        "28:SetPointClass(1)",
        "29:" + nameMissing,
        "30:" + unreadable, // a Windows path in a quoted comment
        "31:BeginPoint(CP104)",
        "31:SetEast(412260)",
        "31:SetElevation(104.5)",
        "31:SetPointClass(1)",
        "31:SetCode(BM)",
        "32:BeginPoint(CP100A)",
        "32:SetNorth(5432100.13)",
        "32:SetEast(412345.671)",
        "32:SetElevation(102.344)",
        "32:SetPointClass(1)",
        "32:SetCode(CHECK)",
        // 33 to 36: EXTRAINFO, skipped.
        "37:BeginPoint(RP1)",
        "37:SetNorth(5432111.11)",
        "37:SetEast(412222.22)",
        "37:SetElevation(100)",
        "37:SetCode(RP)",
        // 38: class fix, dropped.
        "41:" + numberMissing,
    };
    EXPECT_EQ(expected, TaggedRecords(receiver.Calls(), kExampleLines));

    // What the converters read: every coordinate text of the imported rows, through the metre
    // converter that LINEAR METRE installed (the default one was never used).
    const Calls& conversions = factory.Conversions();
    ASSERT_FALSE(conversions.empty());
    for (const std::string& conversion : conversions)
        EXPECT_EQ(0u, conversion.rfind("linear#0(", 0)) << conversion;
    EXPECT_EQ(std::count(conversions.begin(), conversions.end(), "linear#0(N/A)"), 1);
    EXPECT_EQ(26u, conversions.size());

    EXPECT_EQ(0, factory.OutstandingReferences());
    EXPECT_FALSE(factory.OverReleased());
}

} // namespace

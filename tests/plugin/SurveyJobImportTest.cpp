#include "plugin/ImportDriver.h"
#include "tests/doubles/ConverterDoubles.h"
#include "tests/doubles/FileList.h"
#include "tests/doubles/RecordingReceiver.h"
#include "tests/doubles/WideText.h"
#include "tests/plugin/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

using TestDoubles::CCountingConverterFactory;
using TestDoubles::CFileList;
using TestDoubles::CRecordingReceiver;
using TestDoubles::Number;
using TestDoubles::Quantity;
using Calls = std::vector<std::string>;

const std::string kSurveyJob = std::string(ORVA_SOURCE_DIR) + "/examples/survey-job.idx";
constexpr int kSurveyJobLines = 64;

const double kRadiansPerDegree = std::acos(-1.0) / 180.0;

// What the host's dotted degrees-minutes-seconds converter double makes of d.m.s.
std::string Radians(int degrees, int minutes, int seconds)
{
    return Number((degrees + minutes / 60.0 + seconds / 3600.0) * kRadiansPerDegree);
}

std::string Hz(int d, int m, int s)
{
    return "SetHorizontalAngle(" + Radians(d, m, s) + ")";
}
std::string Vz(int d, int m, int s)
{
    return "SetVerticalAngle(" + Radians(d, m, s) + ")";
}

class SurveyJobImport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The host's code-1 angle converter reads the dotted text that DMS angles are rewritten
        // into and gives radians.
        factory.SetDottedDms(Quantity::Angle, 1);
        factory.SetScale(Quantity::Angle, 1, kRadiansPerDegree);
        Import(&files, &receiver);
    }

    CCountingConverterFactory factory;
    CRecordingReceiver receiver{&factory};
    CFileList files{{TestDoubles::Wide(kSurveyJob)}};
};

TEST_F(SurveyJobImport, DeliversPointsStationsAndObservationsInFileOrder)
{
    const Calls expected{
        "BeginFile(" + kSurveyJob + ")",
        // The parser's defaults, then ANGULAR, LINEAR, TEMP and PRESS of UNITS.
        "GetConverterFactory",
        "GetConverterFactory",
        "GetConverterFactory",
        "GetConverterFactory",
        "GetConverterFactory",
        // POINTS
        "BeginPoint(GGS-4512)",
        "SetNorth(473512.381)",
        "SetEast(2213048.902)",
        "SetElevation(152.418)",
        "SetPointClass(1)",
        "SetCode(TRIG)",
        "BeginPoint(PP-107)",
        "SetNorth(473688.045)",
        "SetEast(2213197.336)",
        "SetElevation(149.975)",
        "SetPointClass(1)",
        "SetCode(TRAV)",
        "BeginPoint(PP-108)",
        "SetNorth(473821.512)",
        "SetEast(2213044.718)",
        "SetElevation(147.206)",
        "SetPointClass(1)",
        "SetCode(TRAV)",
        "BeginPoint(BM-22)",
        "SetNorth(473430.207)",
        "SetEast(2213256.61)",
        "SetElevation(150.884)",
        "SetPointClass(1)",
        "SetCode(BM)",
        // First setup, with the readings of METEO station 1, and its observations. The date and
        // the configuration's offset come once, with the first target.
        "BeginStation(GGS-4512)",
        "SetTemperature(17.8)",
        "SetPressure(994.6)",
        "SetInstrumentHeight(1.562)",
        "BeginTarget(PP-107)",
        "SetCode(TRAV)",
        Hz(0, 0, 0),
        Vz(90, 32, 58),
        "SetSlopeDistance(229.99)",
        "SetReflectorHeight(1.8)",
        "SetDate(20210614)",
        "SetVerticalAngleOffset(1.5707963267949)",
        "BeginTarget(BM-22)",
        "SetCode(BM)",
        Hz(71, 23, 15),
        Vz(90, 19, 57),
        "SetSlopeDistance(223.376)",
        "SetReflectorHeight(1.8)",
        "BeginTarget(1001)",
        Hz(1, 44, 20),
        Vz(90, 33, 25),
        "SetSlopeDistance(80.02)",
        "SetReflectorHeight(1.3)",
        "BeginTarget(1002)",
        Hz(5, 18, 23),
        Vz(90, 30, 46),
        "SetSlopeDistance(101.144)",
        "SetReflectorHeight(1.3)",
        "BeginTarget(1003)",
        Hz(22, 6, 12),
        Vz(90, 48, 26),
        "SetSlopeDistance(102.707)",
        "SetReflectorHeight(1.3)",
        // Second setup, METEO station 2.
        "BeginStation(PP-107)",
        "SetTemperature(19.2)",
        "SetPressure(994.1)",
        "SetInstrumentHeight(1.487)",
        "BeginTarget(GGS-4512)",
        "SetCode(TRIG)",
        Hz(0, 0, 0),
        Vz(89, 18, 48),
        "SetSlopeDistance(229.996)",
        "SetReflectorHeight(1.8)",
        "SetDate(20210614)",
        "SetVerticalAngleOffset(1.5707963267949)",
        "BeginTarget(PP-108)",
        "SetCode(TRAV)",
        Hz(90, 58, 22),
        Vz(90, 41, 39),
        "SetSlopeDistance(202.76)",
        "SetReflectorHeight(1.8)",
        "BeginTarget(1004)",
        Hz(107, 51, 24),
        Vz(91, 6, 47),
        "SetSlopeDistance(53.743)",
        "SetReflectorHeight(1.3)",
        "BeginTarget(1005)",
        Hz(99, 15, 2),
        Vz(90, 59, 36),
        "SetSlopeDistance(84.278)",
        "SetReflectorHeight(1.3)",
    };
    EXPECT_EQ(receiver.Records(), expected);
}

TEST_F(SurveyJobImport, AnnouncesEveryLineAndItsProgress)
{
    int nextLine = 0;
    int progressAfterLine = 0;
    for (const std::string& call : receiver.Calls())
    {
        if (call.rfind("SetCurrentLine(", 0) == 0)
        {
            EXPECT_EQ(call, "SetCurrentLine(" + std::to_string(nextLine) + ")");
            ++nextLine;
        }
        else if (call.rfind("SetProgress(", 0) == 0)
        {
            ++progressAfterLine;
            const float expected =
                progressAfterLine > kSurveyJobLines
                    ? 100.0f
                    : static_cast<float>(100 * progressAfterLine) / kSurveyJobLines;
            EXPECT_EQ(call, "SetProgress(" + Number(expected) + ")");
        }
    }
    EXPECT_EQ(nextLine, kSurveyJobLines);
    EXPECT_EQ(progressAfterLine, kSurveyJobLines + 1);
    EXPECT_EQ(receiver.Calls().back(), "SetProgress(100)");
}

TEST_F(SurveyJobImport, RewritesPackedAnglesForTheHostAndGivesEveryReferenceBack)
{
    const Calls& conversions = factory.Conversions();
    // Hz and Vz of the second observation from the first station.
    const Calls secondTarget{"angle#1(71.23.15)", "angle#1(90.19.57)", "linear#0(223.376)",
                             "linear#0(1.800)"};
    EXPECT_NE(std::search(conversions.begin(), conversions.end(), secondTarget.begin(),
                          secondTarget.end()),
              conversions.end());
    EXPECT_EQ(factory.OutstandingReferences(), 0);
    EXPECT_FALSE(factory.OverReleased());
}

// Notepad's "UTF-8 with BOM" and "Unicode" saves of the same job, and a DOS tool's copy ending in
// Ctrl-Z, are the same job: the same records with the same units.
TEST_F(SurveyJobImport, MarkedAndDosSavesOfTheJobDeliverTheSameRecords)
{
    std::ifstream in(kSurveyJob, std::ios::binary);
    const std::string plain{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto utf16 = [&plain](bool bigEndian)
    {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : plain) // the example is ASCII
            bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    const struct
    {
        const char* name;
        std::string bytes;
    } saves[] = {
        {"utf8-bom.idx", "\xEF\xBB\xBF" + plain},
        {"utf16le.idx", utf16(false)},
        {"utf16be.idx", utf16(true)},
        {"dos.idx", plain + "\x1A"},
        {"dos-trailer.idx", plain + "\x1A" + "HEADER\nUNITS\nANGULAR RADS\n"},
    };
    PluginTests::CTestDirectory files;
    for (const auto& save : saves)
    {
        CCountingConverterFactory marked;
        marked.SetDottedDms(Quantity::Angle, 1);
        marked.SetScale(Quantity::Angle, 1, kRadiansPerDegree);
        CRecordingReceiver markedReceiver{&marked};
        CFileList list{{files.Write(save.name, save.bytes)}};
        ::Import(&list, &markedReceiver);
        // Everything after BeginFile, which names the copy.
        const Calls& expected = receiver.Records();
        const Calls& records = markedReceiver.Records();
        ASSERT_FALSE(records.empty()) << save.name;
        EXPECT_EQ(Calls(records.begin() + 1, records.end()),
                  Calls(expected.begin() + 1, expected.end()))
            << save.name;
        EXPECT_EQ(std::count_if(markedReceiver.Calls().begin(), markedReceiver.Calls().end(),
                                [](const std::string& call)
                                { return call.rfind("SetCurrentLine(", 0) == 0; }),
                  kSurveyJobLines)
            << save.name;
    }
}

} // namespace

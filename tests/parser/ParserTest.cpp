#include "parser/Parser.h"
#include "convert/DateConverter.h"
#include "tests/doubles/ParserHarness.h"
#include "tests/doubles/WideText.h"

#include <boost/make_shared.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using TestDoubles::CCountingConverterFactory;
using TestDoubles::CParserHarness;
using TestDoubles::CRecordingReceiver;
using TestDoubles::Quantity;

namespace
{

// Each line fed in turn, with the depth of the section stack expected after it (1 = top level).
struct Step
{
    const wchar_t* line;
    std::size_t depth;
};

void ExpectDepths(const std::vector<Step>& steps)
{
    CParserHarness harness;
    for (std::size_t i = 0; i < steps.size(); ++i)
    {
        harness.Feed({steps[i].line});
        EXPECT_EQ(steps[i].depth, harness.parser->StateDepth())
            << "after line " << i << " (" << TestDoubles::Utf8(steps[i].line) << ")";
    }
}

TEST(ParserStateMachine, TopLevelHeadsOpenOnWholeTrimmedLinesOnly)
{
    ExpectDepths({{L"HEADER;", 1},
                  {L"header", 1},
                  {L"HEADER 1", 1},
                  {L"  HEADER \r", 2},
                  {L"END HEADER", 1},
                  {L"HEADER ", 2},
                  {L"END HEADER", 1},
                  {L"DATABASE", 2},
                  {L"END DATABASE", 1},
                  {L"THEODOLITE", 2},
                  {L"END THEODOLITE", 1},
                  {L"METEO", 2},
                  {L"END METEO", 1},
                  {L"END METEO", 1}});
}

TEST(ParserStateMachine, ContainersOpenTheirSubsectionsByPrefix)
{
    ExpectDepths({{L"DATABASE", 2},        {L"POINTSX(PointNo)", 3},
                  {L"END POINTS", 2},      {L"POINTS (PointNo, PointID)", 3},
                  {L"END POINTS", 2},      {L"END DATABASE", 1},
                  {L"THEODOLITE", 2},      {L"INSTRUMENTS(Name,V_TYPE)", 3},
                  {L"END INSTRUMENTS", 2}, {L"CONFIGS(CfgNo,InstrName)", 3},
                  {L"END CONFIGS", 2},     {L"SETUP", 3},
                  {L"END SETUP", 2},       {L"SETUP(STN_NO)", 3},
                  {L"END SETUP", 2},       {L"SLOPE(TgtNo,TgtID)", 3},
                  {L"END SLOPE", 2},       {L"END THEODOLITE", 1},
                  {L"METEO", 2},           {L"ELEMENTS(StnNo,DryTemp)", 3},
                  {L"END ELEMENTS", 2},    {L"END METEO", 1}});
}

TEST(ParserStateMachine, HeaderOpensUnitsAndSkipsProjectAndOffsets)
{
    ExpectDepths({{L"HEADER", 2},
                  {L"UNITS;", 2},
                  {L"UNITS", 3},
                  {L"END HEADER", 3},
                  {L"END UNITS", 2},
                  {L"PROJECT", 3},
                  {L"UNITS", 3},
                  {L"END PROJECT", 2},
                  {L"OFFSETS", 3},
                  {L"END OFFSETS", 2},
                  {L"OFFSETS(x)", 2},
                  {L"END HEADER", 1}});
}

TEST(ParserStateMachine, HeadsWithoutAColumnListAreSkippedUpToTheirEnd)
{
    ExpectDepths({{L"DATABASE", 2},
                  {L"POINTS", 3},
                  {L"END DATABASE", 3},
                  {L"END POINTS", 2},
                  {L"POINTS()", 3},
                  {L"EXTRAINFO(x)", 3},
                  {L"END POINTS", 2},
                  {L"POINTS(PointNo", 3},
                  {L"END POINTS", 2},
                  {L"END DATABASE", 1},
                  {L"THEODOLITE", 2},
                  {L"SLOPE", 3},
                  {L"END SLOPE", 2},
                  {L"INSTRUMENTS", 3},
                  {L"END INSTRUMENTS", 2},
                  {L"END THEODOLITE", 1}});
}

TEST(ParserStateMachine, SkippedSectionsIgnoreNestingAndCloseAtTheirOwnName)
{
    ExpectDepths({{L"DATABASE", 2},
                  {L"JOBS(a)", 3},
                  {L"POINTS(PointNo)", 3},
                  {L"END DATABASE", 3},
                  {L"JOBS(b)", 3},
                  {L"END JOBS", 2},
                  {L"END JOBS", 2},
                  {L"TEXT DATA(x)", 3},
                  {L"END TEXT", 3},
                  {L"END TEXT DATA", 3},
                  {L"END DATABASE", 3}});
}

TEST(ParserStateMachine, SectionsInsidePointsAreSkippedAndTheStackStaysWithinFour)
{
    ExpectDepths({{L"DATABASE", 2},
                  {L"POINTS(PointNo,PointID)", 3},
                  {L"EXTRAINFO(a)", 4},
                  {L"JOBS(x)", 4},
                  {L"POINTS(PointNo)", 4},
                  {L"END POINTS", 4},
                  {L"END EXTRAINFO", 3},
                  {L"THEMINFO", 4},
                  {L"END THEMINFO", 3},
                  {L"PNT_ACCURACY(x)", 4},
                  {L"END PNT_ACCURACY", 3},
                  {L"ANNOTATIONS(y)", 4},
                  {L"END ANNOTATIONS", 3},
                  {L"END POINTS", 2}});
}

TEST(ParserStateMachine, LinesOutOfPlaceAreDroppedOrReadAsContent)
{
    ExpectDepths({{L"END DATABASE", 1},
                  {L"NOTES", 1},
                  {L"DATABASE", 2},
                  {L"HEADER", 2},
                  {L"SEPARATOR ;", 2},
                  {L"END HEADER", 2},
                  {L"METEO", 2},
                  {L"POINTS(PointNo)", 3},
                  {L"END DATABASE", 3},
                  {L"THEODOLITE", 3},
                  {L"END POINTS", 2},
                  {L"END DATABASE", 1}});
}

TEST(ParserStateMachine, AnUnknownTopLevelSectionIsReadLineByLine)
{
    ExpectDepths({{L"SURVEY", 1}, {L"DATABASE", 2}, {L"END DATABASE", 1}, {L"END SURVEY", 1}});
}

TEST(ParserStateMachine, TheFormatIsRecognisedByTheFirstKnownTopLevelHead)
{
    const struct
    {
        std::vector<std::wstring> lines;
        bool recognised;
    } cases[] = {
        {{}, false},
        {{L"SURVEY", L"POINTS(PointNo)", L"END SURVEY"}, false},
        {{L"header", L"HEADER;"}, false},
        {{L"METEO", L"END METEO"}, true},
        {{L"  THEODOLITE\t"}, true},
        {{L"x", L"DATABASE"}, true},
    };
    for (const auto& c : cases)
    {
        CParserHarness harness;
        harness.Feed(c.lines);
        EXPECT_EQ(c.recognised, harness.parser->IsFormatRecognised()) << c.lines.size();
    }
}

TEST(ParserContext, ANewContextHasTheDefaultsAndAsksForTheDefaultConverters)
{
    CParserHarness harness;
    EXPECT_EQ(L',', harness.parser->GetSeparator());
    EXPECT_EQ(L';', harness.parser->GetTerminator());
    EXPECT_FALSE(harness.parser->IsFormatRecognised());
    EXPECT_EQ(1u, harness.parser->StateDepth());
    EXPECT_EQ(&harness.receiver, harness.parser->GetReceiver());
    EXPECT_TRUE(harness.parser->GetPointTable().empty());
    EXPECT_TRUE(harness.parser->GetMeteoTable().empty());
    EXPECT_TRUE(harness.parser->GetInstrumentTable().empty());
    EXPECT_TRUE(harness.parser->GetConfigTable().empty());

    EXPECT_EQ((std::vector<std::string>{"GetConverterFactory"}), harness.receiver.Calls());
    EXPECT_EQ((std::vector<std::string>{"AddRef", "CreateAngleConverter(4)",
                                        "CreateLinearConverter(0)", "CreateTemperatureConverter(0)",
                                        "CreatePressureConverter(1)", "Release"}),
              harness.factory.Calls());
    // The factory was given back; each converter is held once by the context.
    EXPECT_EQ(1, harness.factory.FactoryReferences());
    EXPECT_EQ(4, harness.factory.OutstandingReferences());

    std::wstring date;
    ASSERT_TRUE(harness.parser->GetDateConverter());
    EXPECT_TRUE(harness.parser->GetDateConverter()->Convert(L"25/12/2019", date));
    EXPECT_EQ(L"20191225", date);

    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
    EXPECT_FALSE(harness.factory.OverReleased());
}

TEST(ParserContext, GettersAddAReferenceForTheCaller)
{
    CParserHarness harness;
    {
        auto angle = harness.parser->GetAngleConverter();
        auto linear = harness.parser->GetLinearConverter();
        auto temperature = harness.parser->GetTemperatureConverter();
        auto pressure = harness.parser->GetPressureConverter();
        ASSERT_TRUE(angle && linear && temperature && pressure);
        EXPECT_EQ(8, harness.factory.OutstandingReferences());
    }
    EXPECT_EQ(4, harness.factory.OutstandingReferences());
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

TEST(ParserContext, SettingTheConverterAlreadyHeldKeepsItAlive)
{
    CParserHarness harness;
    const auto& converters = harness.factory.Converters();
    Plugin::IAngleConverter* held = harness.parser->GetAngleConverter().Get();
    harness.parser->SetAngleConverter(held);
    EXPECT_EQ(1, converters[0]->References());
    EXPECT_FALSE(harness.factory.OverReleased());

    // A replacement is referenced before the old converter is released.
    Plugin::IAngleConverter* degrees = harness.factory.CreateAngleConverter(3);
    harness.parser->SetAngleConverter(degrees);
    degrees->Release();
    EXPECT_EQ(0, converters[0]->References());
    EXPECT_EQ(1, converters.back()->References());
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
    EXPECT_FALSE(harness.factory.OverReleased());
}

TEST(ParserContext, MissingHostObjectsLeaveTheQuantitiesWithoutConverters)
{
    CRecordingReceiver noFactory(nullptr);
    {
        CParser parser(&noFactory);
        EXPECT_FALSE(parser.GetAngleConverter());
        EXPECT_FALSE(parser.GetLinearConverter());
        EXPECT_FALSE(parser.GetTemperatureConverter());
        EXPECT_FALSE(parser.GetPressureConverter());
        std::wstring line = L"DATABASE";
        parser.ProcessLine(line, 0);
        EXPECT_TRUE(parser.IsFormatRecognised());
    }

    CCountingConverterFactory factory;
    factory.SetMissing(Quantity::Linear, 0);
    factory.SetMissing(Quantity::Pressure, 1);
    CRecordingReceiver receiver(&factory);
    {
        CParser parser(&receiver);
        EXPECT_TRUE(parser.GetAngleConverter());
        EXPECT_FALSE(parser.GetLinearConverter());
        EXPECT_TRUE(parser.GetTemperatureConverter());
        EXPECT_FALSE(parser.GetPressureConverter());
        parser.SetLinearConverter(nullptr);
    }
    EXPECT_EQ(0, factory.OutstandingReferences());
    EXPECT_FALSE(factory.OverReleased());
}

TEST(ParserContext, ADateConverterInUseOutlivesItsReplacement)
{
    CParserHarness harness;
    boost::shared_ptr<IDateConverter> inUse = harness.parser->GetDateConverter();
    harness.parser->SetDateConverter(boost::make_shared<CDateYMDConverter>(),
                                     IReadObserver::DateOrder::YearMonthDay);
    std::wstring date;
    EXPECT_TRUE(inUse->Convert(L"25-12-2019", date));
    EXPECT_EQ(L"20191225", date);
    EXPECT_TRUE(harness.parser->GetDateConverter()->Convert(L"2019-12-25", date));
    EXPECT_EQ(L"20191225", date);
}

} // namespace

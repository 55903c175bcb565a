#include "tests/doubles/WideText.h"
#include "tests/parser/State/ReaderFixture.h"

#include <cmath>

namespace
{

using ReaderTests::ReaderTest;
using ReaderTests::ReaderTestWithParam;
using ReaderTests::Section;
using Expected = std::vector<std::string>;
using TestDoubles::Quantity;

const wchar_t kHead[] = L"SLOPE(TgtNo,TgtID,CfgNo,Hz,Vz,SDist,RefHt,Date)";

// Configuration 1 uses a zenith instrument, 2 a nadir one.
const std::vector<std::wstring> kConfigurations{L"THEODOLITE",      L"INSTRUMENTS(Name,V_TYPE)",
                                                L"TS06,ZENITH",     L"T2,NADIR",
                                                L"END INSTRUMENTS", L"CONFIGS(CfgNo,InstrName)",
                                                L"1,TS06",          L"2,T2",
                                                L"END CONFIGS",     L"END THEODOLITE"};

class SlopeFixture : public ReaderTests::CReaderFixture
{
public:
    // Point 3 has a code, point 2 an empty one.
    void SeedPoints()
    {
        parser->GetPointTable().Add(L"3", L"FENCE");
        parser->GetPointTable().Add(L"2", L"");
    }

    void FeedSlope(const std::wstring& head, const std::vector<std::wstring>& rows)
    {
        Feed(Section(L"THEODOLITE", head, rows));
    }
};

class SlopeTest : public ::testing::Test, public SlopeFixture
{
protected:
    void TearDown() override { ExpectReferencesReturned(); }
};

TEST_F(SlopeTest, FullRowGivesOneTargetInCallOrder)
{
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(kHead, {L"3,PP3,1,123.4530,90.3258,229.990,1.800,14/06/2021;"});

    EXPECT_EQ(Records(),
              (Expected{"BeginTarget(PP3)", "SetCode(FENCE)", "SetHorizontalAngle(123.453)",
                        "SetVerticalAngle(90.3258)", "SetSlopeDistance(229.99)",
                        "SetReflectorHeight(1.8)", "SetDate(20210614)",
                        "SetVerticalAngleOffset(1.5707963267949)"}));
    EXPECT_EQ(factory.Conversions(), (Expected{"angle#4(123.4530)", "angle#4(90.3258)",
                                               "linear#0(229.990)", "linear#0(1.800)"}));
}

TEST_F(SlopeTest, ColumnsAreFoundByNameWhereverTheHeadListsThem)
{
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(L"SLOPE(Date,RefHt,PPM,SDist,Vz,Hz,CfgNo,TgtID,TgtNo)",
              {L"14/06/2021,1.800,0,229.990,90.3258,123.4530,2,PP3,3"});

    EXPECT_EQ(Records(),
              (Expected{"BeginTarget(PP3)", "SetCode(FENCE)", "SetHorizontalAngle(123.453)",
                        "SetVerticalAngle(90.3258)", "SetSlopeDistance(229.99)",
                        "SetReflectorHeight(1.8)", "SetDate(20210614)",
                        "SetVerticalAngleOffset(-1.5707963267949)"}));
}

TEST_F(SlopeTest, OffsetIsTheDecimalQuarterTurnNotPiOverTwo)
{
    Feed(kConfigurations);
    FeedSlope(kHead, {L"3,PP3,1"});
    const Expected records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[1],
              "SetVerticalAngleOffset(" + TestDoubles::Number(std::acos(-1.0) / 2) + ")");
}

struct SlopeHeadCase
{
    const wchar_t* head;
};

const SlopeHeadCase kHeadsThatReadNothing[] = {
    {L"SLOPE(TgtID,CfgNo,Hz,Vz,SDist,RefHt,Date)"},
    {L"SLOPE(TgtNo,CfgNo,Hz,Vz,SDist,RefHt,Date)"},
    {L"SLOPE(tgtno,TgtID,CfgNo,Hz,Vz,SDist,RefHt,Date)"},
    {L"SLOPE(TgtNo,TgtId,CfgNo,Hz,Vz,SDist,RefHt,Date)"},
    {L"SLOPE()"},
    {L"SLOPE"},
};

class SlopeHeads : public ::testing::TestWithParam<SlopeHeadCase>, public SlopeFixture
{
protected:
    void TearDown() override { ExpectReferencesReturned(); }
};

TEST_P(SlopeHeads, WithoutBothTargetColumnsImportNothing)
{
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(GetParam().head, {L"3,PP3,1,123.4530,90.3258,229.990,1.800,14/06/2021",
                                L"PP3,1,123.4530,90.3258,229.990,1.800,14/06/2021"});
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(factory.Conversions().empty());
}

INSTANTIATE_TEST_SUITE_P(Slope, SlopeHeads, ::testing::ValuesIn(kHeadsThatReadNothing));

struct SlopeRowCase
{
    const wchar_t* row;
    Expected records;
    Expected conversions;
};

const SlopeRowCase kSlopeRows[] = {
    {L"3", {}, {}},
    {L"", {}, {}},
    {L"3,PP3", {"BeginTarget(PP3)", "SetCode(FENCE)"}, {}},
    // No code for a point the table does not hold, or holds with an empty code.
    {L"9,X9,,5", {"BeginTarget(X9)", "SetHorizontalAngle(5)"}, {"angle#4(5)"}},
    {L"2,PP2,,5", {"BeginTarget(PP2)", "SetHorizontalAngle(5)"}, {"angle#4(5)"}},
    {L",PP3,,5", {"BeginTarget(PP3)", "SetHorizontalAngle(5)"}, {"angle#4(5)"}},
    {L"03,PP3", {"BeginTarget(PP3)"}, {}},
    // Empty fields are handed to the converters; what does not convert is left out.
    {L"9,X9,,,,,,", {"BeginTarget(X9)"}, {"angle#4()", "angle#4()", "linear#0()", "linear#0()"}},
    {L"3,PP3,,left,90,far,1.8",
     {"BeginTarget(PP3)", "SetCode(FENCE)", "SetVerticalAngle(90)", "SetReflectorHeight(1.8)"},
     {"angle#4(left)", "angle#4(90)", "linear#0(far)", "linear#0(1.8)"}},
    {L"'',''", {"BeginTarget()"}, {}},
    {L"3,\"PP 3, north\",,1",
     {"BeginTarget(PP 3, north)", "SetCode(FENCE)", "SetHorizontalAngle(1)"},
     {"angle#4(1)"}},
    // Neither a date nor a configuration that does not resolve sends anything.
    {L"3,PP3,7,,,,,25.12.2019",
     {"BeginTarget(PP3)", "SetCode(FENCE)"},
     {"angle#4()", "angle#4()", "linear#0()", "linear#0()"}},
};

class SlopeRows : public ::testing::TestWithParam<SlopeRowCase>, public SlopeFixture
{
protected:
    void TearDown() override { ExpectReferencesReturned(); }
};

TEST_P(SlopeRows, SendWhatTheRowHolds)
{
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(kHead, {GetParam().row});
    EXPECT_EQ(Records(), GetParam().records);
    EXPECT_EQ(factory.Conversions(), GetParam().conversions);
}

INSTANTIATE_TEST_SUITE_P(Slope, SlopeRows, ::testing::ValuesIn(kSlopeRows));

TEST_F(SlopeTest, DateIsSentOnceASectionOnTheFirstRowThatConverts)
{
    FeedSlope(L"SLOPE(TgtNo,TgtID,Date)",
              {L"9,A", L"9,B,", L"9,C,14.06.2021", L"9,D,14/06/2021", L"9,E,15/06/2021"});
    FeedSlope(L"SLOPE(TgtNo,TgtID,Date)", {L"9,F,16/06/2021", L"9,G,17/06/2021"});

    EXPECT_EQ(Records(), (Expected{"BeginTarget(A)", "BeginTarget(B)", "BeginTarget(C)",
                                   "BeginTarget(D)", "SetDate(20210614)", "BeginTarget(E)",
                                   "BeginTarget(F)", "SetDate(20210616)", "BeginTarget(G)"}));
}

TEST_F(SlopeTest, OffsetIsSentOnceASectionOnTheFirstRowWithAKnownConfiguration)
{
    Feed(kConfigurations);
    FeedSlope(L"SLOPE(TgtNo,TgtID,CfgNo)", {L"9,A", L"9,B,7", L"9,C,", L"9,D,2", L"9,E,1"});
    FeedSlope(L"SLOPE(TgtNo,TgtID,CfgNo)", {L"9,F,1", L"9,G,2"});

    EXPECT_EQ(Records(), (Expected{"BeginTarget(A)", "BeginTarget(B)", "BeginTarget(C)",
                                   "BeginTarget(D)", "SetVerticalAngleOffset(-1.5707963267949)",
                                   "BeginTarget(E)", "BeginTarget(F)",
                                   "SetVerticalAngleOffset(1.5707963267949)", "BeginTarget(G)"}));
}

TEST_F(SlopeTest, DateAndOffsetAreTrackedApart)
{
    Feed(kConfigurations);
    FeedSlope(L"SLOPE(TgtNo,TgtID,CfgNo,Date)",
              {L"9,A,1,bad", L"9,B,2,14/06/2021", L"9,C,1,15/06/2021"});
    EXPECT_EQ(Records(), (Expected{"BeginTarget(A)", "SetVerticalAngleOffset(1.5707963267949)",
                                   "BeginTarget(B)", "SetDate(20210614)", "BeginTarget(C)"}));
}

TEST_F(SlopeTest, LookupsFindOnlyWhatEarlierLinesStored)
{
    FeedSlope(kHead, {L"3,PP3,1"});
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(kHead, {L"3,PP3,1"});

    EXPECT_EQ(Records(), (Expected{"BeginTarget(PP3)", "BeginTarget(PP3)", "SetCode(FENCE)",
                                   "SetVerticalAngleOffset(1.5707963267949)"}));
}

TEST_F(SlopeTest, PointCodesComeFromPointsSectionsReadBefore)
{
    const std::vector<std::wstring> points =
        Section(L"DATABASE", L"POINTS(PointNo,PointID,Code)", {L"3,PP3,FENCE", L"4,PP4,"});
    FeedSlope(L"SLOPE(TgtNo,TgtID)", {L"3,PP3"});
    Feed(points);
    FeedSlope(L"SLOPE(TgtNo,TgtID)", {L"3,PP3", L"4,PP4"});

    EXPECT_EQ(Records(),
              (Expected{"BeginTarget(PP3)", "BeginPoint(PP3)", "SetCode(FENCE)", "BeginPoint(PP4)",
                        "BeginTarget(PP3)", "SetCode(FENCE)", "BeginTarget(PP4)"}));
}

TEST_F(SlopeTest, PointTableIsReadAtEachRow)
{
    Feed({L"THEODOLITE", kHead, L"3,PP3"});
    SeedPoints();
    Feed({L"3,PP3", L"END SLOPE", L"END THEODOLITE"});
    EXPECT_EQ(Records(), (Expected{"BeginTarget(PP3)", "BeginTarget(PP3)", "SetCode(FENCE)"}));
}

TEST_F(SlopeTest, ValuesWithoutAConverterAreLeftOut)
{
    factory.SetMissing(Quantity::Angle, 4);
    factory.SetMissing(Quantity::Linear, 0);
    Restart();
    SeedPoints();
    Feed(kConfigurations);
    FeedSlope(kHead, {L"3,PP3,1,123.4530,90.3258,229.990,1.800,14/06/2021"});

    EXPECT_EQ(Records(), (Expected{"BeginTarget(PP3)", "SetCode(FENCE)", "SetDate(20210614)",
                                   "SetVerticalAngleOffset(1.5707963267949)"}));
    EXPECT_TRUE(factory.Conversions().empty());
}

TEST_F(SlopeTest, AnglesAndLengthsGoToTheirOwnConverters)
{
    factory.SetScale(Quantity::Angle, 4, 2.0);
    factory.SetScale(Quantity::Linear, 0, 10.0);
    Restart();
    FeedSlope(L"SLOPE(TgtNo,TgtID,Hz,Vz,SDist,RefHt)", {L"9,A,1,2,3,4"});
    EXPECT_EQ(Records(), (Expected{"BeginTarget(A)", "SetHorizontalAngle(2)", "SetVerticalAngle(4)",
                                   "SetSlopeDistance(30)", "SetReflectorHeight(40)"}));
}

} // namespace

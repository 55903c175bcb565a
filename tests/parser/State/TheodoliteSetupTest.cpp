#include "tests/parser/State/ReaderFixture.h"

namespace
{

using ReaderTests::ReaderTest;
using ReaderTests::ReaderTestWithParam;
using ReaderTests::Section;
using Expected = std::vector<std::string>;
using TestDoubles::Quantity;

// Station 1 has both readings, 2 only a temperature, 3 none that converted.
const std::vector<std::wstring> kMeteo =
    Section(L"METEO", L"ELEMENTS(StnNo,DryTemp,AtmPress)", {L"1,17.5,995.5", L"2,21.5,", L"3,,"});

std::vector<std::wstring> SetupSection(const std::vector<std::wstring>& lines)
{
    return Section(L"THEODOLITE", L"SETUP", lines);
}

struct SetupCase
{
    std::vector<std::wstring> lines;
    Expected expected;
};

const SetupCase kSetupCases[] = {
    {{L"STN_NO 1", L"STN_ID ST1"},
     {"BeginStation(ST1)", "SetTemperature(17.5)", "SetPressure(995.5)"}},
    {{L"STN_NO 2", L"STN_ID ST2"}, {"BeginStation(ST2)", "SetTemperature(21.5)"}},
    {{L"STN_NO 3", L"STN_ID ST3"}, {"BeginStation(ST3)"}},
    // The readings reach only stations opened after the STN_NO line.
    {{L"STN_ID ST1", L"STN_NO 1"}, {"BeginStation(ST1)"}},
    {{L"STN_ID A", L"STN_NO 1", L"STN_ID B"},
     {"BeginStation(A)", "BeginStation(B)", "SetTemperature(17.5)", "SetPressure(995.5)"}},
    // A station the table does not know keeps the readings in force; one it knows replaces both.
    {{L"STN_NO 1", L"STN_NO 9", L"STN_ID ST1"},
     {"BeginStation(ST1)", "SetTemperature(17.5)", "SetPressure(995.5)"}},
    {{L"STN_NO 1", L"STN_NO 2", L"STN_ID ST1"}, {"BeginStation(ST1)", "SetTemperature(21.5)"}},
    {{L"STN_NO 1", L"STN_NO 3", L"STN_ID ST1"}, {"BeginStation(ST1)"}},
    // Readings are not cleared by the station that received them.
    {{L"STN_NO 1", L"STN_ID A", L"STN_ID B"},
     {"BeginStation(A)", "SetTemperature(17.5)", "SetPressure(995.5)", "BeginStation(B)",
      "SetTemperature(17.5)", "SetPressure(995.5)"}},
    {{L"STN_ID ST1", L"INST_HT 1.562"}, {"BeginStation(ST1)", "SetInstrumentHeight(1.562)"}},
    {{L"STN_ID ST1", L"INST_HT 1.562;;"}, {"BeginStation(ST1)", "SetInstrumentHeight(1.562)"}},
    {{L"STN_ID ST1", L"INST_HT 1,562", L"INST_HT", L"INST_HT "}, {"BeginStation(ST1)"}},
    // Before the file's first record a height has nowhere to go.
    {{L"INST_HT 1.562;;"}, {}},
    {{L"INST_HT 1.5", L"STN_ID ST1", L"INST_HT 1.6"},
     {"BeginStation(ST1)", "SetInstrumentHeight(1.6)"}},
    // Splitting: one blank or tab between keyword and value, quotes hold blanks.
    {{L"STN_ID  ST1"}, {}},
    {{L"STN_ID\tST1;"}, {"BeginStation(ST1)"}},
    {{L"STN_ID \"North Gate\""}, {"BeginStation(North Gate)"}},
    {{L"STN_ID O'Neil"}, {"BeginStation(O'Neil)"}},
    {{L"STN_ID ST1 extra", L"STN_ID", L"STN_ID=ST1"}, {}},
    // Keywords are exact.
    {{L"stn_id ST1", L"Stn_Id ST1", L"STN_ID: ST1", L"STN_NO: 1"}, {}},
    {{L"STN_NO 1", L"REMARK none", L"STN_ID ST1"},
     {"BeginStation(ST1)", "SetTemperature(17.5)", "SetPressure(995.5)"}},
    {{L"STN_NO 1"}, {}},
};

class SetupLines : public ReaderTestWithParam<SetupCase>
{
};

TEST_P(SetupLines, OpenStationsWithTheirReadingsAndHeight)
{
    Feed(kMeteo);
    Feed(SetupSection(GetParam().lines));
    EXPECT_EQ(Records(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Setup, SetupLines, ::testing::ValuesIn(kSetupCases));

TEST_F(ReaderTest, InstrumentHeightGoesThroughTheLinearConverter)
{
    factory.SetScale(Quantity::Linear, 0, 2.0);
    Restart();
    Feed(SetupSection({L"STN_ID A", L"INST_HT 1.5", L"INST_HT x"}));
    EXPECT_EQ(Records(), (Expected{"BeginStation(A)", "SetInstrumentHeight(3)"}));
    EXPECT_EQ(factory.Conversions(), (Expected{"linear#0(1.5)", "linear#0(x)"}));
}

TEST_F(ReaderTest, InstrumentHeightWithNoRecordOpenIsNeitherConvertedNorSent)
{
    Feed(SetupSection({L"INST_HT 1.5"}));
    EXPECT_EQ(Records(), Expected{});
    EXPECT_EQ(factory.Conversions(), Expected{});

    // Any record opened earlier in the file takes it, a point as much as a station; a new file
    // starts again with none.
    Feed(Section(L"DATABASE", L"POINTS(PointNo,PointID)", {L"1,P1"}));
    Feed(SetupSection({L"INST_HT 1.5"}));
    EXPECT_EQ(Records(), (Expected{"BeginPoint(P1)", "SetInstrumentHeight(1.5)"}));
    Restart();
    Feed(SetupSection({L"INST_HT 1.5"}));
    EXPECT_EQ(Records(), Expected{});
}

TEST_F(ReaderTest, InstrumentHeightWithoutALinearConverterIsLeftOut)
{
    factory.SetMissing(Quantity::Linear, 0);
    Restart();
    Feed(kMeteo);
    Feed(SetupSection({L"STN_NO 1", L"STN_ID ST1", L"INST_HT 1.562"}));
    EXPECT_EQ(Records(),
              (Expected{"BeginStation(ST1)", "SetTemperature(17.5)", "SetPressure(995.5)"}));
}

TEST_F(ReaderTest, EachSetupSectionStartsWithoutReadings)
{
    Feed(kMeteo);
    Feed({L"THEODOLITE", L"SETUP", L"STN_NO 1", L"STN_ID A", L"END SETUP", L"SETUP", L"STN_ID B",
          L"END SETUP", L"END THEODOLITE"});
    EXPECT_EQ(Records(), (Expected{"BeginStation(A)", "SetTemperature(17.5)", "SetPressure(995.5)",
                                   "BeginStation(B)"}));
}

TEST_F(ReaderTest, MeteoAfterTheodoliteReachesNoEarlierSetup)
{
    Feed(SetupSection({L"STN_NO 1", L"STN_ID A"}));
    Feed(kMeteo);
    Feed(SetupSection({L"STN_NO 1", L"STN_ID B"}));
    EXPECT_EQ(Records(), (Expected{"BeginStation(A)", "BeginStation(B)", "SetTemperature(17.5)",
                                   "SetPressure(995.5)"}));
}

TEST_F(ReaderTest, SetupHeadWithAColumnListOpensSetupToo)
{
    Feed(kMeteo);
    Feed({L"THEODOLITE", L"SETUP(STN_NO,STN_ID)", L"STN_NO 2", L"STN_ID ST2", L"END SETUP",
          L"END THEODOLITE"});
    EXPECT_EQ(Records(), (Expected{"BeginStation(ST2)", "SetTemperature(21.5)"}));
}

} // namespace

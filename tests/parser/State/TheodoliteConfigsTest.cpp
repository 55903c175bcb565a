#include "tests/parser/State/ReaderFixture.h"

namespace
{

using ReaderTests::ReaderTest;
using ReaderTests::ReaderTestWithParam;
using ReaderTests::Section;

const double kZenith = 1.5707963267949;
const double kNadir = -1.5707963267949;

const std::vector<std::wstring> kInstruments = Section(
    L"THEODOLITE", L"INSTRUMENTS(Name,V_TYPE)", {L"TS06,ZENITH", L"T2,NADIR", L"DNA,HORIZON"});

std::vector<std::wstring> Configs(const std::wstring& head, const std::vector<std::wstring>& rows)
{
    return Section(L"THEODOLITE", head, rows);
}

TEST_F(ReaderTest, ConfigurationTakesTheOffsetOfItsInstrument)
{
    Feed(kInstruments);
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,TS06;", L"2,T2", L"3,DNA", L"4,TS06"}));

    const ConfigTable expected{{L"1", kZenith}, {L"2", kNadir}, {L"3", 0.0}, {L"4", kZenith}};
    EXPECT_EQ(parser->GetConfigTable(), expected);
    EXPECT_TRUE(Records().empty());
}

struct ConfigRowCase
{
    const wchar_t* head;
    const wchar_t* row;
    bool stored; // as configuration "1" with the offset of TS06
};

const ConfigRowCase kConfigRows[] = {
    {L"CONFIGS(CfgNo,InstrName)", L"1,TS06", true},
    {L"CONFIGS(InstrName,Remark,CfgNo)", L"TS06,face left,1", true},
    {L"CONFIGS(CfgNo,InstrName)", L" 1 , 'TS06' ", true},
    {L"CONFIGS(CfgNo,InstrName)", L"1,ts06", false},
    {L"CONFIGS(CfgNo,InstrName)", L"1,TS07", false},
    {L"CONFIGS(CfgNo,InstrName)", L"1,", false},
    {L"CONFIGS(CfgNo,InstrName)", L"1", false},
    {L"CONFIGS(CfgNo)", L"1,TS06", false},
    {L"CONFIGS(InstrName)", L"TS06,1", false},
    {L"CONFIGS(cfgno,instrname)", L"1,TS06", false},
    {L"CONFIGS", L"1,TS06", false},
};

class ConfigRows : public ReaderTestWithParam<ConfigRowCase>
{
};

TEST_P(ConfigRows, NeedBothColumnsAndAKnownInstrument)
{
    const ConfigRowCase& c = GetParam();
    Feed(kInstruments);
    Feed(Configs(c.head, {c.row}));

    const ConfigTable& table = parser->GetConfigTable();
    if (c.stored)
        EXPECT_EQ(table, (ConfigTable{{L"1", kZenith}}));
    else
        EXPECT_TRUE(table.empty());
}

INSTANTIATE_TEST_SUITE_P(Configs, ConfigRows, ::testing::ValuesIn(kConfigRows));

TEST_F(ReaderTest, ConfigurationOfAnInstrumentListedLaterIsLeftOutForGood)
{
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,TS06"}));
    Feed(kInstruments);
    EXPECT_TRUE(parser->GetConfigTable().empty());

    // A configuration section after the instruments does see them.
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"2,TS06"}));
    EXPECT_EQ(parser->GetConfigTable(), (ConfigTable{{L"2", kZenith}}));
}

TEST_F(ReaderTest, InstrumentWithAnUnknownTypeTakesItsConfigurationsWithIt)
{
    Feed(Section(L"THEODOLITE", L"INSTRUMENTS(Name,V_TYPE)", {L"TS06,zenith", L"T2,"}));
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,TS06", L"2,T2"}));
    EXPECT_TRUE(parser->GetConfigTable().empty());
}

TEST_F(ReaderTest, FirstRowForAConfigurationWins)
{
    Feed(kInstruments);
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,T2", L"1,TS06"}));
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,DNA"}));
    EXPECT_EQ(parser->GetConfigTable(), (ConfigTable{{L"1", kNadir}}));
}

TEST_F(ReaderTest, UnknownInstrumentDoesNotBlockALaterRowForTheSameConfiguration)
{
    Feed(kInstruments);
    Feed(Configs(L"CONFIGS(CfgNo,InstrName)", {L"1,TS07", L"1,DNA"}));
    EXPECT_EQ(parser->GetConfigTable(), (ConfigTable{{L"1", 0.0}}));
}

} // namespace

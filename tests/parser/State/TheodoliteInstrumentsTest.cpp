#include "tests/parser/State/ReaderFixture.h"

#include <cmath>
#include <cstring>
#include <optional>

namespace
{

using ReaderTests::ReaderTest;
using ReaderTests::ReaderTestWithParam;
using ReaderTests::Section;

std::vector<std::wstring> Instruments(const std::wstring& head,
                                      const std::vector<std::wstring>& rows)
{
    return Section(L"THEODOLITE", head, rows);
}

struct InstrumentRowCase
{
    const wchar_t* row;
    std::optional<double> offset; // stored under the name "TS06"; absent: nothing stored
};

const InstrumentRowCase kInstrumentRows[] = {
    {L"TS06,ZENITH;", 1.5707963267949},
    {L"TS06,HORIZON", 0.0},
    {L"TS06,NADIR", -1.5707963267949},
    {L" TS06 , ZENITH ;;", 1.5707963267949},
    {L"'TS06',\"NADIR\"", -1.5707963267949},
    {L"TS06,zenith", std::nullopt},
    {L"TS06,Zenith", std::nullopt},
    {L"TS06,ZENITHAL", std::nullopt},
    {L"TS06,ZENITH_", std::nullopt},
    {L"TS06,", std::nullopt},
    {L"TS06", std::nullopt},
    {L"", std::nullopt},
};

class InstrumentRows : public ReaderTestWithParam<InstrumentRowCase>
{
};

TEST_P(InstrumentRows, StoreTheOffsetOfTheThreeExactTypes)
{
    const InstrumentRowCase& c = GetParam();
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {c.row}));

    const InstrumentTable& table = parser->GetInstrumentTable();
    if (!c.offset)
    {
        EXPECT_TRUE(table.empty());
        return;
    }
    ASSERT_EQ(table.size(), 1u);
    ASSERT_EQ(table.count(L"TS06"), 1u);
    EXPECT_EQ(table.at(L"TS06"), *c.offset);
    EXPECT_TRUE(Records().empty()); // nothing of INSTRUMENTS goes to the host directly
}

INSTANTIATE_TEST_SUITE_P(Instruments, InstrumentRows, ::testing::ValuesIn(kInstrumentRows));

TEST_F(ReaderTest, ZenithAndNadirAreTheThirteenDecimalQuarterTurnNotPiOverTwo)
{
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {L"Z,ZENITH", L"N,NADIR"}));
    const double zenith = parser->GetInstrumentTable().at(L"Z");
    const double nadir = parser->GetInstrumentTable().at(L"N");

    const double decimal = 1.5707963267949;
    const double halfPi = std::acos(-1.0) / 2;
    EXPECT_EQ(std::memcmp(&zenith, &decimal, sizeof zenith), 0);
    EXPECT_NE(std::memcmp(&zenith, &halfPi, sizeof zenith), 0);
    const double negativeDecimal = -decimal;
    EXPECT_EQ(std::memcmp(&nadir, &negativeDecimal, sizeof nadir), 0);
}

struct InstrumentHeadCase
{
    const wchar_t* head;
    const wchar_t* row;
    const wchar_t* storedName; // null: nothing stored
};

const InstrumentHeadCase kInstrumentHeads[] = {
    {L"INSTRUMENTS(Name,V_TYPE)", L"TS06,ZENITH", L"TS06"},
    {L"INSTRUMENTS(V_TYPE,Model,Name)", L"ZENITH,Leica TS06 plus,TS06", L"TS06"},
    {L"INSTRUMENTS( Name , V_TYPE )", L"TS06,ZENITH", L"TS06"},
    {L"INSTRUMENTS(Name,V_TYPE,Name)", L"TS06,ZENITH,T2", L"TS06"},
    {L"INSTRUMENTS(Name)", L"TS06,ZENITH", nullptr},
    {L"INSTRUMENTS(V_TYPE)", L"ZENITH,TS06", nullptr},
    {L"INSTRUMENTS(name,v_type)", L"TS06,ZENITH", nullptr},
    {L"INSTRUMENTS()", L"TS06,ZENITH", nullptr},
    {L"INSTRUMENTS", L"TS06,ZENITH", nullptr},
};

class InstrumentHeads : public ReaderTestWithParam<InstrumentHeadCase>
{
};

TEST_P(InstrumentHeads, FindTheirColumnsByExactName)
{
    const InstrumentHeadCase& c = GetParam();
    Feed(Instruments(c.head, {c.row}));

    const InstrumentTable& table = parser->GetInstrumentTable();
    if (!c.storedName)
    {
        EXPECT_TRUE(table.empty());
        return;
    }
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table.count(c.storedName), 1u);
}

INSTANTIATE_TEST_SUITE_P(Instruments, InstrumentHeads, ::testing::ValuesIn(kInstrumentHeads));

TEST_F(ReaderTest, FirstRowForAnInstrumentWinsAcrossSections)
{
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {L"TS06,NADIR", L"TS06,ZENITH"}));
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {L"TS06,HORIZON", L"T2,HORIZON"}));

    const InstrumentTable& table = parser->GetInstrumentTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.at(L"TS06"), -1.5707963267949);
    EXPECT_EQ(table.at(L"T2"), 0.0);
}

TEST_F(ReaderTest, RejectedTypeDoesNotBlockALaterRowForTheSameInstrument)
{
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {L"TS06,zenith", L"TS06,HORIZON"}));
    EXPECT_EQ(parser->GetInstrumentTable().at(L"TS06"), 0.0);
}

TEST_F(ReaderTest, EmptyInstrumentNameIsAKeyLikeAnyOther)
{
    Feed(Instruments(L"INSTRUMENTS(Name,V_TYPE)", {L",NADIR", L"'',ZENITH"}));
    const InstrumentTable& table = parser->GetInstrumentTable();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table.at(L""), -1.5707963267949);
}

} // namespace

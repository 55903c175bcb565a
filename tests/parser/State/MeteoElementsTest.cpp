#include "tests/parser/State/ReaderFixture.h"

#include <optional>

namespace
{

using ReaderTests::ReaderTest;
using ReaderTests::ReaderTestWithParam;
using ReaderTests::Section;
using TestDoubles::Quantity;

std::vector<std::wstring> Elements(const std::wstring& head, const std::vector<std::wstring>& rows)
{
    return Section(L"METEO", head, rows);
}

struct ElementsCase
{
    const wchar_t* head;
    const wchar_t* row;
    bool stored; // under the station number "1"
    std::optional<double> temperature;
    std::optional<double> pressure;
    std::vector<std::string> conversions;
};

const ElementsCase kElementsCases[] = {
    {L"ELEMENTS(StnNo,DryTemp,AtmPress)",
     L"1,17.8,994.6;",
     true,
     17.8,
     994.6,
     {"temperature#0(17.8)", "pressure#1(994.6)"}},
    {L"ELEMENTS(AtmPress,WetTemp,StnNo,DryTemp)",
     L"994.6,12.1,1,17.8",
     true,
     17.8,
     994.6,
     {"temperature#0(17.8)", "pressure#1(994.6)"}},
    {L"ELEMENTS(StnNo,DryTemp)", L"1,17.8", true, 17.8, std::nullopt, {"temperature#0(17.8)"}},
    {L"ELEMENTS(StnNo,AtmPress)", L"1,994.6", true, std::nullopt, 994.6, {"pressure#1(994.6)"}},
    // A reading that does not convert stays absent; the empty field is handed over as well.
    {L"ELEMENTS(StnNo,DryTemp,AtmPress)",
     L"1,warm,994.6",
     true,
     std::nullopt,
     994.6,
     {"temperature#0(warm)", "pressure#1(994.6)"}},
    {L"ELEMENTS(StnNo,DryTemp,AtmPress)",
     L"1,,",
     true,
     std::nullopt,
     std::nullopt,
     {"temperature#0()", "pressure#1()"}},
    // A row shorter than a column is not converted there.
    {L"ELEMENTS(StnNo,DryTemp,AtmPress)",
     L"1,17.8",
     true,
     17.8,
     std::nullopt,
     {"temperature#0(17.8)"}},
    {L"ELEMENTS(StnNo,DryTemp,AtmPress)", L"1", true, std::nullopt, std::nullopt, {}},
    // Without a station number column, or without both reading columns, rows are not read.
    {L"ELEMENTS(DryTemp,AtmPress)", L"17.8,994.6", false, std::nullopt, std::nullopt, {}},
    {L"ELEMENTS(StnNo,WetTemp)", L"1,12.1", false, std::nullopt, std::nullopt, {}},
    {L"ELEMENTS(stnno,DryTemp)", L"1,17.8", false, std::nullopt, std::nullopt, {}},
    {L"ELEMENTS", L"1,17.8,994.6", false, std::nullopt, std::nullopt, {}},
    // A row without its station number field is dropped before anything is converted.
    {L"ELEMENTS(DryTemp,StnNo)", L"17.8", false, std::nullopt, std::nullopt, {}},
};

class ElementsRows : public ReaderTestWithParam<ElementsCase>
{
};

TEST_P(ElementsRows, StoreTheConvertedReadingsOfTheStation)
{
    const ElementsCase& c = GetParam();
    Feed(Elements(c.head, {c.row}));

    const MeteoTable& table = parser->GetMeteoTable();
    EXPECT_EQ(factory.Conversions(), c.conversions);
    EXPECT_TRUE(Records().empty());
    if (!c.stored)
    {
        EXPECT_TRUE(table.empty());
        return;
    }
    ASSERT_EQ(table.size(), 1u);
    const MeteoReadings& readings = table.at(L"1");
    EXPECT_EQ(readings.Temperature, c.temperature);
    EXPECT_EQ(readings.Pressure, c.pressure);
}

INSTANTIATE_TEST_SUITE_P(Elements, ElementsRows, ::testing::ValuesIn(kElementsCases));

TEST_F(ReaderTest, FirstRowForAStationWinsEvenWithoutReadings)
{
    Feed(Elements(L"ELEMENTS(StnNo,DryTemp,AtmPress)",
                  {L"1,warm,high", L"1,17.8,994.6", L"2,18.1,993.9", L"2,30,900"}));
    Feed(Elements(L"ELEMENTS(StnNo,DryTemp,AtmPress)", {L"2,0,0", L"3,19.5,992.0"}));

    const MeteoTable& table = parser->GetMeteoTable();
    ASSERT_EQ(table.size(), 3u);
    EXPECT_FALSE(table.at(L"1").Temperature);
    EXPECT_FALSE(table.at(L"1").Pressure);
    EXPECT_EQ(table.at(L"2").Temperature, 18.1);
    EXPECT_EQ(table.at(L"2").Pressure, 993.9);
    EXPECT_EQ(table.at(L"3").Temperature, 19.5);
}

TEST_F(ReaderTest, StationNumbersAreExactTextKeys)
{
    Feed(Elements(L"ELEMENTS(StnNo,DryTemp)", {L"01,10", L"1,11", L"'S 1',12", L",13"}));

    const MeteoTable& table = parser->GetMeteoTable();
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table.at(L"01").Temperature, 10.0);
    EXPECT_EQ(table.at(L"1").Temperature, 11.0);
    EXPECT_EQ(table.at(L"S 1").Temperature, 12.0);
    EXPECT_EQ(table.at(L"").Temperature, 13.0);
}

TEST_F(ReaderTest, ReadingWithoutAConverterIsAbsent)
{
    factory.SetMissing(Quantity::Temperature, 0);
    Restart();
    Feed(Elements(L"ELEMENTS(StnNo,DryTemp,AtmPress)", {L"1,17.8,994.6"}));

    const MeteoReadings& readings = parser->GetMeteoTable().at(L"1");
    EXPECT_FALSE(readings.Temperature);
    EXPECT_EQ(readings.Pressure, 994.6);
    EXPECT_EQ(factory.Conversions(), (std::vector<std::string>{"pressure#1(994.6)"}));
}

TEST_F(ReaderTest, ElementsOutsideMeteoAreNotRead)
{
    Feed(Section(L"THEODOLITE", L"ELEMENTS(StnNo,DryTemp)", {L"1,17.8"}));
    EXPECT_TRUE(parser->GetMeteoTable().empty());
    EXPECT_TRUE(factory.Conversions().empty());
}

} // namespace

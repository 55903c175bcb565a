#include "tests/doubles/ParserHarness.h"

#include <boost/token_functions.hpp>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{

using TestDoubles::CParserHarness;
using TestDoubles::Quantity;
typedef std::vector<std::string> Calls;
typedef std::map<std::wstring, std::wstring> Entries;

Entries EntriesOf(const PointTable& table)
{
    Entries entries;
    table.ForEach([&](const std::wstring& number, const std::wstring& code)
                  { entries.emplace(number, code); });
    return entries;
}

const char kNumberMissing[] = "ReportLineError(Не указан уникальный номер точки)";
const char kNameMissing[] = "ReportLineError(Не указано имя точки)";
const wchar_t kFullHead[] = L"POINTS(PointNo,PointID,North,East,Elevation,Code,CLASS)";

// Feeds lines as the import driver does, announcing each line's index first.
struct CPointsHarness : CParserHarness
{
    // Forgets the parser's own request for the factory.
    CPointsHarness() { receiver.Clear(); }

    void FeedNumbered(const std::vector<std::wstring>& lines)
    {
        for (const std::wstring& line : lines)
        {
            receiver.SetCurrentLine(next++);
            Feed({line});
        }
    }

    // The records of one POINTS section with this head and these rows.
    Calls Import(const std::wstring& head, const std::vector<std::wstring>& rows)
    {
        Feed({L"DATABASE", head});
        Feed(rows);
        Feed({L"END POINTS", L"END DATABASE"});
        return receiver.Records();
    }

    int next = 0;
};

struct RowCase
{
    const wchar_t* row;
    Calls records;
    const wchar_t* tableCode; // code stored for point number "1"; null: nothing stored
};

const RowCase kRows[] = {
    {L"1,P1,100.5,200.25,10,BM,FIX",
     {"BeginPoint(P1)", "SetNorth(100.5)", "SetEast(200.25)", "SetElevation(10)",
      "SetPointClass(1)", "SetCode(BM)"},
     L"BM"},
    {L"1,P1,100.5,200.25,10,BM,ADJ;",
     {"BeginPoint(P1)", "SetNorth(100.5)", "SetEast(200.25)", "SetElevation(10)",
      "SetPointClass(1)", "SetCode(BM)"},
     L"BM"},
    {L"1,P1,1,2,3,BM,REF",
     {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(BM)"},
     L"BM"},
    {L"1,P1,1,2,3,BM,AVG",
     {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(BM)"},
     L"BM"},
    {L" 1 , 'North Gate' , 1 , 2 , 3 , BM , FIX ",
     {"BeginPoint(North Gate)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(BM)"},
     L"BM"},
    // Other class texts drop the row, but its code still enters the table.
    {L"1,P1,1,2,3,BM,fix", {}, L"BM"},
    {L"1,P1,1,2,3,BM,FIXED", {}, L"BM"},
    {L"1,P1,1,2,3,BM,AVX", {}, L"BM"},
    // "FIX" with its first letter 256 higher: the same low bytes, not the same class.
    {L"1,P1,1,2,3,BM,\x0146IX", {}, L"BM"},
    {L"1,P1,1,2,3,BM,", {}, L"BM"},
    {L"1,P1,1,2,3,,XYZ", {}, L""},
    // A row shorter than the CLASS position has no class.
    {L"1,P1,1,2,3,BM",
     {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetCode(BM)"},
     L"BM"},
    {L"1,P1,1,2,3", {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)"}, nullptr},
    {L"1,P1", {"BeginPoint(P1)"}, nullptr},
    // Empty and unreadable values are left out; the others still go.
    {L"1,P1,,2,3,BM,FIX",
     {"BeginPoint(P1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)", "SetCode(BM)"},
     L"BM"},
    {L"1,P1,x,2,1e3,BM,FIX",
     {"BeginPoint(P1)", "SetEast(2)", "SetElevation(1000)", "SetPointClass(1)", "SetCode(BM)"},
     L"BM"},
    {L"1,P1,1,2,3,,FIX",
     {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)"},
     L""},
    // An empty name is passed as it is; a missing number only keeps the point out of the table.
    {L"1,,1,2,3,BM,FIX",
     {"BeginPoint()", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(BM)"},
     L"BM"},
    {L"1,'A,B',1,2,3,'C;D',FIX",
     {"BeginPoint(A,B)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(C;D)"},
     L"C;D"},
    // Too few fields for the name.
    {L"1", {kNameMissing}, nullptr},
    {L"", {kNameMissing}, nullptr},
    {L";", {kNameMissing}, nullptr},
};

TEST(DatabasePointsRows, EachRowBecomesOnePoint)
{
    for (const RowCase& c : kRows)
    {
        CPointsHarness harness;
        EXPECT_EQ(c.records, harness.Import(kFullHead, {c.row})) << "row: " << c.row;
        const Entries table = EntriesOf(harness.parser->GetPointTable());
        if (c.tableCode)
        {
            ASSERT_EQ(1u, table.size()) << "row: " << c.row;
            EXPECT_EQ(c.tableCode, table.begin()->second) << "row: " << c.row;
            EXPECT_EQ(L"1", table.begin()->first) << "row: " << c.row;
        }
        else
        {
            EXPECT_TRUE(table.empty()) << "row: " << c.row;
        }
        harness.Finish();
        EXPECT_EQ(0, harness.factory.OutstandingReferences()) << "row: " << c.row;
    }
}

TEST(DatabasePointsRows, CoordinatesGoThroughTheLinearConverter)
{
    CPointsHarness harness;
    harness.Import(L"POINTS(PointNo,PointID,North,East,Elevation)", {L"1,P1,1.5,,-2"});
    EXPECT_EQ((Calls{"linear#0(1.5)", "linear#0(-2)"}), harness.factory.Conversions());
}

struct HeadCase
{
    const wchar_t* head;
    const wchar_t* row;
    Calls records;
};

const HeadCase kHeads[] = {
    // Columns are found by name wherever they stand; unknown names are ignored.
    {L"POINTS(CLASS,Code,Elevation,East,North,PointID,PointNo)",
     L"FIX,BM,3,2,1,P1,7",
     {"BeginPoint(P1)", "SetNorth(1)", "SetEast(2)", "SetElevation(3)", "SetPointClass(1)",
      "SetCode(BM)"}},
    {L"POINTS(PointNo,Extra,PointID,Note,North)", L"1,x,P1,y,5", {"BeginPoint(P1)", "SetNorth(5)"}},
    {L"POINTS( PointNo , PointID , North )", L"1,P1,5", {"BeginPoint(P1)", "SetNorth(5)"}},
    // A name listed twice counts at its first place.
    {L"POINTS(PointNo,PointID,North,North)", L"1,P1,5,6", {"BeginPoint(P1)", "SetNorth(5)"}},
    // Names are compared exactly.
    {L"POINTS(PointNo,PointID,north,EAST,class)", L"1,P1,5,6,xyz", {"BeginPoint(P1)"}},
    {L"POINTS(PointNo,PointID)", L"1,P1,5,6", {"BeginPoint(P1)"}},
    // Without a number or a name column every row is reported, without splitting it.
    {L"POINTS(PointID,North)", L"P1,5", {kNumberMissing}},
    {L"POINTS(PointID,North)", L"C:\\data", {kNumberMissing}},
    {L"POINTS(pointno,PointID)", L"1,P1", {kNumberMissing}},
    {L"POINTS(PointNo,North)", L"1,5", {kNameMissing}},
    {L"POINTS(North,East)", L"1,5", {kNumberMissing}},
    // No usable column list: the section is skipped.
    {L"POINTS", L"1,P1", {}},
    {L"POINTS()", L"1,P1", {}},
    {L"POINTS(PointNo,PointID", L"1,P1", {}},
};

TEST(DatabasePointsHeads, ColumnsComeFromTheHead)
{
    for (const HeadCase& c : kHeads)
    {
        CPointsHarness harness;
        EXPECT_EQ(c.records, harness.Import(c.head, {c.row})) << "head: " << c.head;
        harness.Finish();
        EXPECT_EQ(0, harness.factory.OutstandingReferences()) << "head: " << c.head;
    }
}

TEST(DatabasePointsMessages, BelongToTheLineLastAnnounced)
{
    CPointsHarness harness;
    harness.FeedNumbered({L"DATABASE", L"POINTS(PointNo,PointID,North)", L"1,P1,5", L"2", L"3,P3",
                          L"END POINTS", L"POINTS(PointID)", L"P4", L"END POINTS"});
    EXPECT_EQ(
        (Calls{"SetCurrentLine(0)", "SetCurrentLine(1)", "SetCurrentLine(2)", "BeginPoint(P1)",
               "SetNorth(5)", "SetCurrentLine(3)", kNameMissing, "SetCurrentLine(4)",
               "BeginPoint(P3)", "SetCurrentLine(5)", "SetCurrentLine(6)", "SetCurrentLine(7)",
               kNumberMissing, "SetCurrentLine(8)"}),
        harness.receiver.Calls());
}

TEST(DatabasePointsTable, TheFirstRowForANumberWins)
{
    CPointsHarness harness;
    const Calls records = harness.Import(kFullHead, {L"1,P1,,,,FIRST,fix", L"1,P1b,,,,SECOND,FIX",
                                                     L"2,P2,,,,,FIX", L"2,P2b,,,,LATER,FIX",
                                                     L"3,P3,,,,,", L"3,P3b,,,,THIRD", L"4,P4"});
    EXPECT_EQ((Calls{"BeginPoint(P1b)", "SetPointClass(1)", "SetCode(SECOND)", "BeginPoint(P2)",
                     "SetPointClass(1)", "BeginPoint(P2b)", "SetPointClass(1)", "SetCode(LATER)",
                     "BeginPoint(P3b)", "SetCode(THIRD)", "BeginPoint(P4)"}),
              records);
    const Entries expected = {{L"1", L"FIRST"}, {L"2", L""}, {L"3", L""}};
    EXPECT_EQ(expected, EntriesOf(harness.parser->GetPointTable()));
}

TEST(DatabasePointsTable, ARowWithoutANumberFieldIsSentButNotStored)
{
    CPointsHarness harness;
    const Calls records =
        harness.Import(L"POINTS(PointID,Code,PointNo)", {L"P1,A", L"P2,B,", L"P3,C,3"});
    EXPECT_EQ((Calls{"BeginPoint(P1)", "SetCode(A)", "BeginPoint(P2)", "SetCode(B)",
                     "BeginPoint(P3)", "SetCode(C)"}),
              records);
    // An empty number field is still a number field.
    const Entries expected = {{L"", L"B"}, {L"3", L"C"}};
    EXPECT_EQ(expected, EntriesOf(harness.parser->GetPointTable()));
}

TEST(DatabasePointsTable, LastsForTheWholeFile)
{
    CPointsHarness harness;
    harness.Import(L"POINTS(PointNo,PointID,Code)", {L"1,P1,A"});
    harness.Import(L"POINTS(PointNo,PointID,Code)", {L"1,P1,B", L"2,P2,C"});
    const Entries expected = {{L"1", L"A"}, {L"2", L"C"}};
    EXPECT_EQ(expected, EntriesOf(harness.parser->GetPointTable()));
}

TEST(DatabasePointsUnits, PointsAfterALinearLineUseTheNewConverter)
{
    CPointsHarness harness;
    harness.factory.SetScale(Quantity::Linear, 1, 0.5);
    harness.Feed({L"DATABASE", L"POINTS(PointNo,PointID,North)", L"1,P1,10", L"END POINTS",
                  L"END DATABASE", L"HEADER", L"UNITS", L"LINEAR INT_FEET", L"END UNITS",
                  L"END HEADER", L"DATABASE", L"POINTS(PointNo,PointID,North)", L"2,P2,10"});
    EXPECT_EQ((Calls{"BeginPoint(P1)", "SetNorth(10)", "GetConverterFactory", "BeginPoint(P2)",
                     "SetNorth(5)"}),
              harness.receiver.Records());
    EXPECT_EQ((Calls{"linear#0(10)", "linear#1(10)"}), harness.factory.Conversions());
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
    EXPECT_FALSE(harness.factory.OverReleased());
}

TEST(DatabasePointsUnits, WithoutALinearConverterCoordinatesAreLeftOut)
{
    CPointsHarness harness;
    harness.factory.SetMissing(Quantity::Linear, 0);
    harness.parser = std::make_unique<CParser>(&harness.receiver);
    harness.receiver.Clear();
    EXPECT_EQ((Calls{"BeginPoint(P1)", "SetCode(BM)"}),
              harness.Import(kFullHead, {L"1,P1,1,2,3,BM"}));
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

TEST(DatabasePointsErrors, ABadEscapeAbandonsOnlyItsRow)
{
    CPointsHarness harness;
    harness.Feed({L"DATABASE", L"POINTS(PointNo,PointID,Code)", L"1,P1,A"});
    EXPECT_THROW(harness.Feed({L"2,C:\\data,B"}), boost::escaped_list_error);
    EXPECT_THROW(harness.Feed({L"3,P3,C\\;"}), boost::escaped_list_error);
    harness.Feed({L"4,P4,D", L"END POINTS", L"END DATABASE"});
    EXPECT_EQ((Calls{"BeginPoint(P1)", "SetCode(A)", "BeginPoint(P4)", "SetCode(D)"}),
              harness.receiver.Records());
    const Entries expected = {{L"1", L"A"}, {L"4", L"D"}};
    EXPECT_EQ(expected, EntriesOf(harness.parser->GetPointTable()));
    EXPECT_EQ(1u, harness.parser->StateDepth());
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

TEST(DatabasePointsSections, SkippedChildrenAndStrayLines)
{
    CPointsHarness harness;
    const Calls records = harness.Import(L"POINTS(PointNo,PointID)",
                                         {L"1,P1", L"EXTRAINFO(PointNo,Info)", L"2,P2",
                                          L"END EXTRAINFO", L"3,P3", L"END DATABASE", L"HEADER"});
    // Inside POINTS an END line of another section and a top-level head are ordinary rows, too
    // short for a name.
    EXPECT_EQ((Calls{"BeginPoint(P1)", "BeginPoint(P3)", kNameMissing, kNameMissing}), records);
    EXPECT_EQ(1u, harness.parser->StateDepth());
}

} // namespace

#include "tests/doubles/ParserHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using TestDoubles::CParserHarness;

constexpr int kUnchanged = -1;

struct ValueCase
{
    const wchar_t* tail; // what follows the keyword on the line
    int expected;        // the character set, or kUnchanged
};

// "\t" stands for a tab, as everywhere in these tables.
const ValueCase kValueForms[] = {
    {L" ;", L';'},
    {L"\t;", L';'},
    {L" ' '", L' '},
    {L" 9", L'\t'},
    {L" 59", L';'},
    {L" 44", L','},
    {L" 00044", L','},
    {L" 65580", L','},
    {L" 0", 0},
    {L" 2147483647", 0xFFFF},
    {L" 53", L'5'},
    {L" '5'", 5},
    {L" -1", L'-'},
    {L" ;;", L';'},
    {L" ''", 0},
    {L" 'a b'", L'a'},
    {L" 'a b", L'a'},
    {L" \\", L'\\'},
    {L" \"", L'"'},
    {L" \u0416", 0x0416},
    {L"", kUnchanged},
    {L" ", kUnchanged},
    {L" , ;", kUnchanged},
    {L"  ,", kUnchanged},
    {L" 5x", kUnchanged},
    {L" 0x10", kUnchanged},
    {L" 2147483648", kUnchanged},
    {L" 99999999999", kUnchanged},
    {L" 4 4", kUnchanged},
};

// Both settings start from '#' so that a line which changes nothing is told apart from one that
// sets the default again.
struct CHeaderHarness : CParserHarness
{
    CHeaderHarness() { Feed({L"HEADER", L"SEPARATOR #", L"TERMINATOR #"}); }
};

TEST(HeaderKeywordLines, ValueFormsSetTheSeparator)
{
    for (const ValueCase& c : kValueForms)
    {
        CHeaderHarness harness;
        harness.Feed({std::wstring(L"SEPARATOR") + c.tail});
        const int expected = c.expected == kUnchanged ? L'#' : c.expected;
        EXPECT_EQ(expected, harness.parser->GetSeparator()) << "tail: [" << c.tail << "]";
        EXPECT_EQ(L'#', harness.parser->GetTerminator()) << "tail: [" << c.tail << "]";
    }
}

TEST(HeaderKeywordLines, ValueFormsSetTheTerminator)
{
    for (const ValueCase& c : kValueForms)
    {
        CHeaderHarness harness;
        harness.Feed({std::wstring(L"TERMINATOR") + c.tail});
        const int expected = c.expected == kUnchanged ? L'#' : c.expected;
        EXPECT_EQ(expected, harness.parser->GetTerminator()) << "tail: [" << c.tail << "]";
        EXPECT_EQ(L'#', harness.parser->GetSeparator()) << "tail: [" << c.tail << "]";
    }
}

struct KeywordCase
{
    const wchar_t* line;
    int separator; // kUnchanged: stays '#'
    int terminator;
};

const KeywordCase kKeywordForms[] = {
    {L"SEPARATOR ;", L';', kUnchanged},         {L"separator ;", L';', kUnchanged},
    {L"Separator ;", L';', kUnchanged},         {L"SEPARATORS ;", L';', kUnchanged},
    {L"SEPARATOR_X ;", L';', kUnchanged},       {L"SEPARATO ;", kUnchanged, kUnchanged},
    {L"SEP", kUnchanged, kUnchanged},           {L"X SEPARATOR ;", kUnchanged, kUnchanged},
    {L"'SEPARATOR' ;", kUnchanged, kUnchanged}, {L"terminator ;", kUnchanged, L';'},
    {L"TERMINATORS 59", kUnchanged, L';'},      {L"TERMINAT ;", kUnchanged, kUnchanged},
    {L"ANGULAR DMS", kUnchanged, kUnchanged},   {L"UNITS;", kUnchanged, kUnchanged},
};

TEST(HeaderKeywordLines, KeywordIsAPrefixInAnyCase)
{
    for (const KeywordCase& c : kKeywordForms)
    {
        CHeaderHarness harness;
        harness.Feed({c.line});
        EXPECT_EQ(c.separator == kUnchanged ? L'#' : c.separator, harness.parser->GetSeparator())
            << "line: " << c.line;
        EXPECT_EQ(c.terminator == kUnchanged ? L'#' : c.terminator, harness.parser->GetTerminator())
            << "line: " << c.line;
    }
}

TEST(HeaderKeywordLines, AFileWithoutHeaderKeepsTheDefaults)
{
    CParserHarness harness;
    harness.Feed({L"DATABASE", L"SEPARATOR ;", L"TERMINATOR #", L"END DATABASE", L"SEPARATOR ;"});
    EXPECT_EQ(L',', harness.parser->GetSeparator());
    EXPECT_EQ(L';', harness.parser->GetTerminator());
}

TEST(HeaderKeywordLines, LinesInsideSkippedSubsectionsHaveNoEffect)
{
    CParserHarness harness;
    harness.Feed({L"HEADER", L"PROJECT", L"SEPARATOR ;", L"END PROJECT", L"OFFSETS",
                  L"TERMINATOR #", L"END OFFSETS"});
    EXPECT_EQ(L',', harness.parser->GetSeparator());
    EXPECT_EQ(L';', harness.parser->GetTerminator());
    harness.Feed({L"SEPARATOR |", L"END HEADER"});
    EXPECT_EQ(L'|', harness.parser->GetSeparator());
}

TEST(HeaderKeywordLines, LaterHeadersOverrideEarlierOnes)
{
    CParserHarness harness;
    harness.Feed({L"HEADER", L"SEPARATOR ;", L"SEPARATOR |", L"END HEADER"});
    EXPECT_EQ(L'|', harness.parser->GetSeparator());
    harness.Feed({L"HEADER", L"TERMINATOR 35", L"END HEADER"});
    EXPECT_EQ(L'|', harness.parser->GetSeparator());
    EXPECT_EQ(L'#', harness.parser->GetTerminator());
}

TEST(HeaderKeywordLines, TheSettingsActOnRowsReadAfterThem)
{
    CParserHarness harness;
    harness.receiver.Clear();
    harness.Feed({L"HEADER", L"SEPARATOR ;", L"TERMINATOR #", L"END HEADER", L"DATABASE",
                  L"POINTS(PointNo;PointID;North)", L"1;P1;10.5#", L"2;P2;11;#", L"END POINTS",
                  L"END DATABASE"});
    EXPECT_EQ((std::vector<std::string>{"BeginPoint(P1)", "SetNorth(10.5)", "BeginPoint(P2)",
                                        "SetNorth(11)"}),
              harness.receiver.Records());
    harness.Finish();
    EXPECT_EQ(0, harness.factory.OutstandingReferences());
}

} // namespace

#include "parser/Lexer.h"

#include "tests/doubles/LexerContext.h"
#include "tests/doubles/TokenizerOracle.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace
{

using TestDoubles::CLexerContext;
using TestDoubles::TokenizerRule;
using TestDoubles::TokenizerSplit;

typedef std::vector<std::wstring> Fields;

Fields ToVector(const CFieldList& list)
{
    Fields fields;
    for (std::size_t i = 0; i < list.size(); ++i)
        fields.push_back(list[i].str());
    return fields;
}

Fields Row(const std::wstring& line, wchar_t separator = L',', wchar_t terminator = L';')
{
    CLexerContext context(separator, terminator);
    CFieldList list;
    SplitRow(context, line, list);
    return ToVector(list);
}

// The same row as ASCII bytes, cut without decoding; a character past ASCII fails the test, as
// it may not come this way.
Fields AsciiRow(const std::wstring& line, wchar_t separator = L',', wchar_t terminator = L';')
{
    std::string bytes;
    for (const wchar_t c : line)
    {
        EXPECT_LT(static_cast<std::uint32_t>(c), 0x80u) << "row: " << line;
        bytes.push_back(static_cast<char>(c));
    }
    CLexerContext context(separator, terminator);
    CFieldList list;
    SplitAsciiRow(context, bytes.data(), bytes.data() + bytes.size(), list);
    return ToVector(list);
}

Fields Words(const std::wstring& line, wchar_t terminator = L';')
{
    CLexerContext context(L',', terminator);
    CFieldList list;
    SplitWords(context, line, list);
    return ToVector(list);
}

struct SplitCase
{
    const wchar_t* line;
    wchar_t separator;
    wchar_t terminator;
    Fields expected;
};

const SplitCase kRowCases[] = {
    {L"1, North Point ,12.5;", L',', L';', {L"1", L"North Point", L"12.5"}},
    {L"1,'A,B',2", L',', L';', {L"1", L"A,B", L"2"}},
    {L"1,\"A,B\",2", L',', L';', {L"1", L"A,B", L"2"}},
    {L"1,'A,B\",2", L',', L';', {L"1", L"A,B", L"2"}},
    {L"Pt'A,5", L',', L';', {L"PtA,5"}},
    {L"Pt\\'A,5", L',', L';', {L"Pt'A", L"5"}},
    {L"x\\,y,z", L',', L';', {L"x,y", L"z"}},
    {L"a\\\\b", L',', L';', {L"a\\b"}},
    {L"a\\nb", L',', L';', {L"a\nb"}},
    {L" \\n ,x", L',', L';', {L"\n", L"x"}},
    {L"1,2,3,", L',', L';', {L"1", L"2", L"3", L""}},
    {L"1,,3", L',', L';', {L"1", L"", L"3"}},
    {L",", L',', L';', {L"", L""}},
    {L";", L',', L';', {}},
    {L";;;", L',', L';', {}},
    {L"", L',', L';', {}},
    {L"1,2;3", L',', L';', {L"1", L"2;3"}},
    {L"1,2 ; ;", L',', L';', {L"1", L"2 ;"}},
    {L"1,2,3;;", L',', L';', {L"1", L"2", L"3"}},
    {L"' a '", L',', L';', {L"a"}},
    {L"\t1\t,\t2\t", L',', L';', {L"1", L"2"}},
    {L"'1,2;'", L',', L';', {L"1,2;"}},
    {L"1;2;", L';', L';', {L"1", L"2"}},
    {L"1  2", L' ', L';', {L"1", L"", L"2"}},
    {L"1 \\ \\ x \\ ", L' ', L';', {L"1", L"x", L""}},
    {L"1|2,3|", L'|', L';', {L"1", L"2,3", L""}},
    {L"1,2#", L',', L'#', {L"1", L"2"}},
    {L"1,2;", L',', L'#', {L"1", L"2;"}},
};

TEST(LexerSplitRow, CutsRowsIntoTrimmedFields)
{
    for (const SplitCase& c : kRowCases)
    {
        EXPECT_EQ(c.expected, Row(c.line, c.separator, c.terminator)) << "row: " << c.line;
        EXPECT_EQ(c.expected, AsciiRow(c.line, c.separator, c.terminator)) << "row: " << c.line;
    }
}

const SplitCase kWordCases[] = {
    {L"STN_NO=\"A B\" INST_HT=1.5;", L' ', L';', {L"STN_NO=A B", L"INST_HT=1.5"}},
    {L"STN_NO=1  INST_HT=1.5", L' ', L';', {L"STN_NO=1", L"", L"INST_HT=1.5"}},
    {L"STN_NO=1\tINST_HT=1.5", L' ', L';', {L"STN_NO=1", L"INST_HT=1.5"}},
    {L"STN_NO='A B'", L' ', L';', {L"STN_NO='A", L"B'"}},
    {L"a,b c", L' ', L';', {L"a,b", L"c"}},
    {L"a\\ b", L' ', L';', {L"a b"}},
    {L"a\\\"b", L' ', L';', {L"a\"b"}},
    {L"a ", L' ', L';', {L"a", L""}},
    {L"\" a \"", L' ', L';', {L" a "}},
    {L"a;;", L' ', L';', {L"a"}},
    {L"", L' ', L';', {}},
};

TEST(LexerSplitWords, CutsSetupLinesAtEveryBlank)
{
    for (const SplitCase& c : kWordCases)
        EXPECT_EQ(c.expected, Words(c.line, c.terminator)) << "line: " << c.line;
}

struct EscapeErrorCase
{
    const wchar_t* line;
    const char* message;
};

const EscapeErrorCase kEscapeErrors[] = {
    {L"1,C:\\data,2", "unknown escape sequence"}, {L"1,a\\t", "unknown escape sequence"},
    {L"'quoted \\x'", "unknown escape sequence"}, {L"1,2\\", "cannot end with escape"},
    {L"1,2\\;", "cannot end with escape"},        {L"1,2\\;;;", "cannot end with escape"},
};

template <class Split> void ExpectEscapeErrors(Split split)
{
    for (const EscapeErrorCase& c : kEscapeErrors)
    {
        CLexerContext context;
        CFieldList list;
        SplitRow(context, L"stale", list);
        try
        {
            split(context, c.line, list);
            ADD_FAILURE() << "no error for: " << c.line;
        }
        catch (const boost::escaped_list_error& error)
        {
            EXPECT_STREQ(c.message, error.what()) << "line: " << c.line;
        }
        // The abandoned row delivers nothing, not even the fields before the bad escape.
        EXPECT_EQ(0u, list.size()) << "line: " << c.line;
    }
}

TEST(LexerSplitRow, RaisesEscapeErrors)
{
    ExpectEscapeErrors([](const IParserStateContext& context, const std::wstring& line,
                          CFieldList& list) { SplitRow(context, line, list); });
}

TEST(LexerSplitWords, RaisesEscapeErrors)
{
    ExpectEscapeErrors([](const IParserStateContext& context, const std::wstring& line,
                          CFieldList& list) { SplitWords(context, line, list); });
}

TEST(LexerSplitRow, ReusesTheFieldListFromRowToRow)
{
    CLexerContext context;
    CFieldList list;
    SplitRow(context, L"first long field,second long field,third", list);
    ASSERT_EQ(3u, list.size());
    SplitRow(context, L"x,y", list);
    EXPECT_EQ((Fields{L"x", L"y"}), ToVector(list));
    EXPECT_FALSE(list.Has(2));
    EXPECT_TRUE(list.Has(1));
    EXPECT_FALSE(list.Has(-1));
    SplitRow(context, L"", list);
    EXPECT_TRUE(list.empty());
}

// The columns a section reader looks up, in its own order, and the fields of "0,1,2,3,4" kept.
struct KeepCase
{
    std::vector<std::int32_t> positions;
    Fields kept;
};

TEST(LexerFieldList, KeepsTheFieldsUpToTheLastColumnLookedUp)
{
    const KeepCase cases[] = {
        {{}, {}},
        {{-1, -1}, {}},
        {{0}, {L"0"}},
        {{2, -1}, {L"0", L"1", L"2"}},
        {{3, 0, 1}, {L"0", L"1", L"2", L"3"}},
        {{1, 9}, {L"0", L"1", L"2", L"3", L"4"}},
    };
    CLexerContext context;
    for (const KeepCase& c : cases)
    {
        CFieldList list;
        list.KeepFirst(0);
        for (const std::int32_t position : c.positions)
            list.KeepColumn(position);
        SplitRow(context, L"0,1,2,3,4", list);
        EXPECT_EQ(c.kept, ToVector(list)) << ::testing::PrintToString(c.positions);
    }
}

struct KeywordCase
{
    const wchar_t* line;
    Fields expected;
};

const KeywordCase kKeywordCases[] = {
    {L"SEPARATOR ;", {L"SEPARATOR", L";"}},
    {L"SEPARATOR\t;", {L"SEPARATOR", L";"}},
    {L"SEPARATOR  ,", {L"SEPARATOR", L"", L","}},
    {L"SEPARATOR ' '", {L"SEPARATOR", L" "}},
    {L"SEPARATOR ''", {L"SEPARATOR", L""}},
    {L"SEPARATOR '5'", {L"SEPARATOR", L"5"}},
    {L"SEPARATOR 'a b", {L"SEPARATOR", L"a b"}},
    {L"SEPARATOR \"a b\"", {L"SEPARATOR", L"\"a", L"b\""}},
    {L"SEPARATOR \\", {L"SEPARATOR", L"\\"}},
    {L"SEPARATOR \\n", {L"SEPARATOR", L"\\n"}},
    {L"SEPARATOR , ;", {L"SEPARATOR", L",", L";"}},
    {L"SEPARATOR", {L"SEPARATOR"}},
    {L"SEPARATOR ;;", {L"SEPARATOR", L";;"}},
    {L"", {}},
};

TEST(LexerHeaderKeywords, SplitsAtBlanksWithApostropheQuotesAndNoEscape)
{
    for (const KeywordCase& c : kKeywordCases)
        EXPECT_EQ(c.expected, SplitHeaderKeywords(c.line)) << "line: " << c.line;
}

const KeywordCase kBlankCases[] = {
    {L"ANGULAR DMS", {L"ANGULAR", L"DMS"}},
    {L"ANGULAR  DMS", {L"ANGULAR", L"DMS"}},
    {L"ANGULAR\tDMS", {L"ANGULAR", L"DMS"}},
    {L"END  POINTS", {L"END", L"POINTS"}},
    {L"END \t POINTS x", {L"END", L"POINTS", L"x"}},
    {L"'A B'", {L"'A", L"B'"}},
    {L"a\\ b", {L"a\\", L"b"}},
    {L"", {L""}},
};

TEST(LexerSplitOnBlanks, MergesRunsOfBlanks)
{
    for (const KeywordCase& c : kBlankCases)
        EXPECT_EQ(c.expected, SplitOnBlanks(c.line)) << "line: " << c.line;
}

template <class Split>
void CompareWithTokenizer(const TokenizerRule& rule, Split split, unsigned seed,
                          const std::wstring& alphabet = L"ab ,;'\"\\n\t|",
                          std::size_t longest = 12)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> length(0, longest);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int i = 0; i < 4000; ++i)
    {
        std::wstring line;
        for (std::size_t n = length(random); n > 0; --n)
            line.push_back(alphabet[pick(random)]);

        Fields expected;
        std::string expectedError;
        try
        {
            expected = TokenizerSplit(line, rule);
        }
        catch (const boost::escaped_list_error& error)
        {
            expectedError = error.what();
        }

        Fields actual;
        std::string actualError;
        try
        {
            actual = split(line);
        }
        catch (const boost::escaped_list_error& error)
        {
            actualError = error.what();
        }
        ASSERT_EQ(expectedError, actualError) << "line: " << line;
        ASSERT_EQ(expected, actual) << "line: " << line;
    }
}

TEST(LexerSplitRow, AgreesWithTheEscapedListTokenizer)
{
    for (const wchar_t separator : {L',', L';', L'|', L' ', L'\'', L'\\'})
        CompareWithTokenizer(
            {L"\\", std::wstring(1, separator), L"'\"", true, true},
            [separator](const std::wstring& line) { return Row(line, separator, L';'); },
            20240601u + separator);
}

// Rows of many of the scanner's steps, with runs of plain characters, and with characters past
// ASCII, which a vector scan may narrow so that it cannot tell them apart at first sight: among
// them separators (DEL, the first past ASCII, a full-width comma, 0x7FFF, 0xFFFF).
TEST(LexerSplitRow, AgreesWithTheTokenizerOnLongRowsAndWideCharacters)
{
    const std::wstring alphabet = L"abcdefgh ,;'\"\\n\t\x7F\x80\x7FFF\x8000\xFF0C\xFFFF\x4E2D";
    for (const wchar_t separator : {L',', L'\x7F', L'\x80', L'\xFF0C', L'\x7FFF', L'\xFFFF'})
        CompareWithTokenizer(
            {L"\\", std::wstring(1, separator), L"'\"", true, true},
            [separator](const std::wstring& line) { return Row(line, separator, L';'); },
            20261209u + separator, alphabet, 200);
}

// Rows of ASCII cut from their bytes, over many of the byte scanner's steps. A separator past
// ASCII is in no such row, and must not be taken for the ASCII character of its low byte (U+012C
// for a comma, U+0A7C for '|').
TEST(LexerSplitAsciiRow, AgreesWithTheTokenizer)
{
    const std::wstring alphabet = L"abcdefgh ,;|'\"\\n\t\x7F";
    for (const wchar_t separator :
         {L',', L';', L'|', L' ', L'\'', L'\\', L'\x7F', L'\x12C', L'\xA7C'})
        CompareWithTokenizer(
            {L"\\", std::wstring(1, separator), L"'\"", true, true},
            [separator](const std::wstring& line) { return AsciiRow(line, separator, L';'); },
            20261210u + separator, alphabet, 200);
}

TEST(LexerSplitWords, AgreesWithTheEscapedListTokenizer)
{
    CompareWithTokenizer(
        {L"\\", L" \t", L"\"", true, false}, [](const std::wstring& line) { return Words(line); },
        7u);
}

TEST(LexerHeaderKeywords, AgreesWithTheEscapedListTokenizer)
{
    CompareWithTokenizer(
        {L"", L" \t", L"'", false, false},
        [](const std::wstring& line) { return SplitHeaderKeywords(line); }, 11u);
}

} // namespace

#include "parser/SectionGrammar.h"
#include "parser/State/SkipSection.h"
#include "parser/State/StateBaseWithParams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TEST(SectionGrammar, EndLinesNeedExactlyEndAndTheName)
{
    const struct
    {
        const wchar_t* line;
        bool closes;
    } cases[] = {
        {L"END POINTS", true},    {L"END\tPOINTS", true},   {L"END   POINTS", true},
        {L"END \t POINTS", true}, {L"END", false},          {L"END POINTS;", false},
        {L"END POINTS x", false}, {L"ENDPOINTS", false},    {L"end POINTS", false},
        {L"END points", false},   {L"END DATABASE", false}, {L"", false},
        {L"ENDX POINTS", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.closes, MatchSectionEnd(c.line, L"POINTS")) << std::wstring(c.line).size();
}

TEST(SectionGrammar, ColumnListsLieBetweenTheFirstOpeningAndTheLastClosingParenthesis)
{
    const struct
    {
        const wchar_t* head;
        wchar_t separator;
        bool hasList;
        std::vector<std::wstring> columns;
    } cases[] = {
        {L"POINTS(PointNo,PointID,North,East)",
         L',',
         true,
         {L"PointNo", L"PointID", L"North", L"East"}},
        {L"POINTS( PointNo , North )", L',', true, {L"PointNo", L"North"}},
        {L"POINTS(PointNo,,North)", L',', true, {L"PointNo", L"", L"North"}},
        {L"POINTS(PointNo,)", L',', true, {L"PointNo", L""}},
        {L"POINTS(\tPoint No\t)", L',', true, {L"Point No"}},
        {L"POINTS(PointNo;North)", L';', true, {L"PointNo", L"North"}},
        {L"POINTS(PointNo,North)", L';', true, {L"PointNo,North"}},
        {L"POINTS x (a,b) tail", L',', true, {L"a", L"b"}},
        {L"POINTS(a,(b),c)", L',', true, {L"a", L"(b)", L"c"}},
        {L"POINTS( )", L',', true, {L""}},
        {L"POINTS()", L',', false, {}},
        {L"POINTS", L',', false, {}},
        {L"POINTS(PointNo", L',', false, {}},
        {L"POINTS)a(", L',', false, {}},
    };
    for (const auto& c : cases)
    {
        CColumnNames columns;
        EXPECT_EQ(c.hasList, ParseColumnList(c.head, c.separator, columns))
            << std::wstring(c.head).size();
        if (c.hasList)
        {
            EXPECT_EQ(c.columns, columns.ToVector());
        }
    }
}

TEST(SectionGrammar, SkippedSectionsAreNamedByTheHeadBeforeItsList)
{
    const struct
    {
        const wchar_t* head;
        const wchar_t* name; // null: no section
    } cases[] = {
        {L"JOBS(a,b)", L"JOBS"}, {L"TEXT DATA(x)", L"TEXT DATA"},
        {L"POINTS", L"POINTS"},  {L"  EXTRAINFO\t(x)", L"EXTRAINFO"},
        {L"(x)", nullptr},       {L" \t(x)", nullptr},
        {L"", nullptr},
    };
    for (const auto& c : cases)
    {
        ParserStatePtr state = CreateSkipSection(c.head);
        if (!c.name)
        {
            EXPECT_FALSE(state);
            continue;
        }
        auto* skipped = dynamic_cast<State::CSkipSection*>(state.get());
        ASSERT_NE(nullptr, skipped);
        EXPECT_EQ(std::wstring(c.name), skipped->Name());
    }
}

TEST(SectionGrammar, SkippedSectionOpensNothingAndEndsAtItsOwnName)
{
    State::CSkipSection skipped(L"JOBS");
    EXPECT_FALSE(skipped.BeginSection(L"POINTS(PointNo)"));
    EXPECT_FALSE(skipped.BeginSection(L"JOBS(a)"));
    EXPECT_FALSE(skipped.IsSectionEnd(L"END DATABASE"));
    EXPECT_TRUE(skipped.IsSectionEnd(L"END JOBS"));
}

class CColumns final : public State::CStateBaseWithParams
{
public:
    using CStateBaseWithParams::CStateBaseWithParams;
    using CStateBaseWithParams::FindColumn;
    ParserStatePtr BeginSection(const std::wstring&) override { return ParserStatePtr(); }
    bool IsSectionEnd(const std::wstring&) override { return false; }
    void HandleRow() override {}
    std::wstring_view Name() const override { return {}; }

private:
    bool ReadsRows() const override { return true; }
};

TEST(SectionGrammar, FindColumnMatchesExactNamesAndTheFirstOfDuplicates)
{
    CColumns columns({L"PointNo", L"North", L"", L"North", L"Point No"});
    EXPECT_EQ(0, columns.FindColumn(L"PointNo"));
    EXPECT_EQ(1, columns.FindColumn(L"North"));
    EXPECT_EQ(2, columns.FindColumn(L""));
    EXPECT_EQ(4, columns.FindColumn(L"Point No"));
    EXPECT_EQ(-1, columns.FindColumn(L"pointno"));
    EXPECT_EQ(-1, columns.FindColumn(L"PointNo "));
    EXPECT_EQ(-1, columns.FindColumn(L"East"));
    CColumns none{std::vector<std::wstring>()};
    EXPECT_EQ(-1, none.FindColumn(L""));
}

} // namespace

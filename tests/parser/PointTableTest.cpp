#include "parser/PointTable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{

// Numbers drawn from characters that pack to one, two, three and five bytes, so that distinct
// numbers of different lengths can pack to similar bytes.
std::wstring RandomNumber(std::mt19937& random)
{
    static const wchar_t kCharacters[] = {
        L'0', L'1', L'7', L'P', L'\x7F', L'\x80', L'\xFF', L'\x3FFF', L'\x4000', L'\xFFFD', L'\0'};
    std::uniform_int_distribution<std::size_t> length(0, 4);
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kCharacters / sizeof(wchar_t) - 1);
    std::wstring number;
    for (std::size_t n = length(random); n > 0; --n)
        number.push_back(kCharacters[pick(random)]);
    if (length(random) == 0)
        number.push_back(static_cast<wchar_t>(0x10FFFF));
    return number;
}

// Codes of one word and of none, with a number from the row: empty, seven characters and eight, a
// character below 256 and one above, and a NUL inside; hundreds of them, more than a block holds.
std::wstring CodeOfRow(int row)
{
    static const std::wstring kShapes[] = {L"",     L"C",     L"123456", L"1234567",
                                           L"\xFF", L"\x100", L"C\0",    L"C\x4000"};
    const std::wstring& shape = kShapes[row % 8];
    return shape.empty() ? shape : shape + std::to_wstring(row % 97);
}

// The table against a std::map that keeps the first code, over enough numbers to grow it many
// times and with most numbers given more than once.
TEST(PointTable, KeepsTheFirstCodeOfEachNumberAsAMapWould)
{
    for (const unsigned seed : {1u, 2u, 3u})
    {
        std::mt19937 random(seed);
        CPointTable table;
        std::map<std::wstring, std::wstring> model;
        std::vector<std::wstring> order;
        for (int i = 0; i < 20000; ++i)
        {
            const std::wstring number = RandomNumber(random);
            const std::wstring code = CodeOfRow(i);
            const bool added = model.emplace(number, code).second;
            if (added)
                order.push_back(number);
            ASSERT_EQ(added, table.Add(number, code)) << "seed " << seed << ", row " << i;
        }
        ASSERT_EQ(model.size(), table.size());
        for (int i = 0; i < 2000; ++i)
        {
            const std::wstring number = RandomNumber(random);
            const auto expected = model.find(number);
            const std::wstring* code = table.FindCode(number);
            ASSERT_EQ(expected != model.end(), code != nullptr);
            if (code)
            {
                EXPECT_EQ(expected->second, *code);
            }
        }
        std::vector<std::wstring> listed;
        table.ForEach(
            [&](const std::wstring& number, const std::wstring& code)
            {
                listed.push_back(number);
                EXPECT_EQ(model[number], code);
            });
        EXPECT_EQ(order, listed);
    }
}

// Decimal numbers hash to themselves: numbered in order, far apart by a power of two (all on one
// slot), with leading zeros, at the nine-digit boundary, and looked up where they are not.
TEST(PointTable, FindsDecimalNumbersHoweverTheyCrowd)
{
    const struct
    {
        const char* name;
        std::wstring (*number)(int);
    } patterns[] = {
        {"in order", [](int i) { return std::to_wstring(i + 1); }},
        {"a power of two apart", [](int i) { return std::to_wstring((i + 1) * 1048576LL); }},
        {"leading zeros", [](int i)
         { return std::wstring(static_cast<std::size_t>(i % 4), L'0') + std::to_wstring(i / 4); }},
        {"nine and ten digits", [](int i) { return std::to_wstring(999999000LL + i * 7); }},
    };
    for (const auto& pattern : patterns)
    {
        CPointTable table;
        std::map<std::wstring, std::wstring> model;
        for (int i = 0; i < 6000; ++i)
        {
            const std::wstring number = pattern.number(i);
            const std::wstring code = std::to_wstring(i % 11);
            ASSERT_EQ(model.emplace(number, code).second, table.Add(number, code))
                << pattern.name << ", row " << i;
        }
        // Present and absent numbers, some of the absent ones where the present ones wrap
        // around the slots.
        for (long long probe : {0LL, 1LL, 5999LL, 6000LL, 6001LL, 1048577LL, 2097153LL,
                                6000LL * 1048576, 6001LL * 1048576, 999999000LL, 1000041993LL})
        {
            const std::wstring number = std::to_wstring(probe);
            const auto expected = model.find(number);
            const std::wstring* code = table.FindCode(number);
            ASSERT_EQ(expected != model.end(), code != nullptr) << pattern.name << ": " << probe;
            if (code)
            {
                EXPECT_EQ(expected->second, *code) << pattern.name << ": " << probe;
            }
        }
        for (const auto& [number, code] : model)
        {
            const std::wstring* found = table.FindCode(number);
            ASSERT_NE(nullptr, found) << pattern.name;
            EXPECT_EQ(code, *found) << pattern.name;
        }
    }
}

TEST(PointTable, AnEmptyTableFindsNothing)
{
    const CPointTable table;
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(nullptr, table.FindCode(L""));
    EXPECT_EQ(nullptr, table.FindCode(L"1"));
}

// A number longer than a block of the pool takes a block of its own; the ones before it stay.
TEST(PointTable, HoldsNumbersOfAnyLength)
{
    CPointTable table;
    const std::wstring longNumber(100000, L'\x4000');
    EXPECT_TRUE(table.Add(L"1", L"A"));
    EXPECT_TRUE(table.Add(longNumber, L"LONG"));
    EXPECT_TRUE(table.Add(L"2", L"B"));
    EXPECT_FALSE(table.Add(longNumber, L"OTHER"));
    ASSERT_NE(nullptr, table.FindCode(longNumber));
    EXPECT_EQ(L"LONG", *table.FindCode(longNumber));
    EXPECT_EQ(nullptr, table.FindCode(longNumber.substr(1)));
    EXPECT_EQ(L"A", *table.FindCode(L"1"));
    EXPECT_EQ(L"B", *table.FindCode(L"2"));
}

} // namespace

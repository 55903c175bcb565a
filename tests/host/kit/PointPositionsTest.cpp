// The table of named positions against a map that keeps the first value of each name.
#include "host/kit/PointPositions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{

using Host::CNamedPositions;

// Names as files give them: numbers in order, numbers with a prefix, repeats, an empty name, one
// with a NUL inside, long ones that share their start, and non-ASCII bytes.
std::string NameNumber(std::size_t i)
{
    switch (i % 6)
    {
    case 0:
        return std::to_string(i / 6);
    case 1:
        return "P" + std::to_string(i / 6);
    case 2:
        return std::to_string(i / 60); // each repeated ten times
    case 3:
        return std::string(40, 'x') + std::to_string(i);
    case 4:
        return std::string("a\0b", 3) + std::to_string(i % 7);
    default:
        return i % 5 == 0 ? std::string() : "Пункт " + std::to_string(i);
    }
}

TEST(NamedPositionsTest, KeepsTheFirstValueOfEachNameAndForgetsThemAll)
{
    CNamedPositions<std::size_t> table;
    std::map<std::string, std::size_t> first;
    // Enough names to grow the table many times over.
    for (std::size_t i = 0; i < 20000; ++i)
    {
        const std::string name = NameNumber(i);
        table.Add(name, i);
        first.emplace(name, i);
    }
    for (const auto& [name, value] : first)
    {
        const std::size_t* found = table.Find(name);
        ASSERT_NE(nullptr, found) << name;
        EXPECT_EQ(value, *found) << name;
    }
    for (const std::string& absent :
         {std::string("P99999"), std::string("x"), std::string("a\0c", 3), std::string(41, 'x')})
        EXPECT_EQ(nullptr, table.Find(absent)) << absent;

    table.Clear();
    for (const auto& named : first)
        ASSERT_EQ(nullptr, table.Find(named.first)) << named.first;
    table.Add("P1", 7);
    table.Add("P1", 8);
    ASSERT_NE(nullptr, table.Find("P1"));
    EXPECT_EQ(7u, *table.Find("P1"));
}

} // namespace

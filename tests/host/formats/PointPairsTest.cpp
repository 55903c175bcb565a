// The set of joined point pairs against a set of ordered pairs.
#include "host/formats/svg/PointPairs.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace
{

TEST(PointPairsTest, TakesEachPairOnceInEitherOrderUntilCleared)
{
    Host::CPointPairs pairs;
    std::set<std::pair<std::size_t, std::size_t>> oracle;
    std::mt19937_64 random(7);
    // Few points for many pairs, so that most come again, some the other way round; indices
    // far apart too, and one point joined to itself.
    for (int round = 0; round < 2; ++round)
    {
        for (int i = 0; i < 30000; ++i)
        {
            std::size_t a = random() % 300;
            std::size_t b = i % 3 == 0 ? random() : random() % 300;
            if (i % 2)
                std::swap(a, b);
            const bool added = oracle.emplace(std::min(a, b), std::max(a, b)).second;
            ASSERT_EQ(added, pairs.Insert(a, b)) << a << " " << b << " at " << i;
        }
        pairs.Clear();
        oracle.clear();
    }
    EXPECT_TRUE(pairs.Insert(5, 5));
    EXPECT_FALSE(pairs.Insert(5, 5));
}

} // namespace

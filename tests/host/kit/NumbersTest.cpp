#include "host/kit/Numbers.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace
{

using Host::NumberLayout;
using Host::NumberText;

constexpr double Infinity = std::numeric_limits<double>::infinity();

std::uint64_t Bits(double value)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t bits)
{
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The digits of a number's text without sign, point, exponent and the zeros around them.
std::string Digits(const std::string& text)
{
    std::string digits;
    for (char c : text.substr(0, text.find('e')))
        if (c >= '0' && c <= '9')
            digits += c;
    digits.erase(0, digits.find_first_not_of('0'));
    digits.erase(digits.find_last_not_of('0') + 1);
    return digits;
}

TEST(NumbersTest, WritesTheShortestDigitsInEachLayout)
{
    const struct
    {
        double value;
        const char* shortest;
        const char* json;
    } cases[] = {
        {0.0, "0", "0.0"},
        {-0.0, "-0", "-0.0"},
        {1.0, "1", "1.0"},
        {20.0, "20", "20.0"},
        {100.0, "100", "100.0"},
        {-1.5, "-1.5", "-1.5"},
        {1234.5, "1234.5", "1234.5"},
        // Shorter than the seventeen digits that name every double.
        {0.1, "0.1", "0.1"},
        {5.4543336813952346, "5.454333681395235", "5.454333681395235"},
        {1e23, "1e+23", "1e+23"},
        {0.1 + 0.2, "0.30000000000000004", "0.30000000000000004"},
        // Digits made eight at a time: zeros that end the lower eight or reach into the upper.
        {12300.0, "12300", "12300.0"},
        {100000000.5, "100000000.5", "100000000.5"},
        {12345678.9, "12345678.9", "12345678.9"},
        {4503599627.370496, "4503599627.370496", "4503599627.370496"},
        {9.000001, "9.000001", "9.000001"},
        // Small values: JSON stays fixed down to three zeros after the point; the shortest
        // layout takes the shorter text, fixed when both are as long.
        {0.001, "0.001", "0.001"},
        {1e-4, "1e-04", "0.0001"},
        {1.5e-4, "0.00015", "0.00015"},
        {9.999999999999999e-5, "9.999999999999999e-05", "9.999999999999999e-05"},
        {1e-5, "1e-05", "1e-05"},
        {1.2345e-5, "1.2345e-05", "1.2345e-05"},
        {1e-7, "1e-07", "1e-07"},
        // Large values: JSON stays fixed up to fifteen digits before the point.
        {999999999999999.9, "999999999999999.9", "999999999999999.9"},
        {123456789012345.0, "123456789012345", "123456789012345.0"},
        {1e15, "1e+15", "1e+15"},
        {1234567890123456.0, "1234567890123456", "1.234567890123456e+15"},
        {1e16, "1e+16", "1e+16"},
        {9007199254740992.0, "9007199254740992", "9.007199254740992e+15"},
        {123456789012345680.0, "123456789012345680", "1.2345678901234568e+17"},
        // Fixed whole numbers beyond 2^53 have their exact digits, not the shortest.
        {-757449717349091377152.0, "-757449717349091377152", "-7.574497173490914e+20"},
        {1e20, "1e+20", "1e+20"},
        {1e21, "1e+21", "1e+21"},
        {1.5e300, "1.5e+300", "1.5e+300"},
        // The ends of the range.
        {5e-324, "5e-324", "5e-324"},
        {-2.2250738585072014e-308, "-2.2250738585072014e-308", "-2.2250738585072014e-308"},
        {1.7976931348623157e308, "1.7976931348623157e+308", "1.7976931348623157e+308"},
        {Infinity, "inf", "null"},
        {-Infinity, "-inf", "null"},
        {std::numeric_limits<double>::quiet_NaN(), "nan", "null"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.shortest, NumberText(c.value, NumberLayout::Shortest)) << c.shortest;
        EXPECT_EQ(c.json, NumberText(c.value, NumberLayout::Json)) << c.json;
    }
}

// Any double reads back from either layout as itself; both layouts have the same digits, and the
// shortest is what std::to_chars writes.
TEST(NumbersTest, EveryDoubleReadsBackAsItself)
{
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 100000; ++i)
    {
        double value = FromBits(random());
        if (!std::isfinite(value))
            continue;
        // Values of the size survey jobs hold, too, not only the far ends most bit patterns give:
        // every mantissa, with an exponent from 2^-30 to 2^50.
        int exponent = 0;
        if (i % 3 == 1)
            value = std::ldexp(std::frexp(value, &exponent), i % 81 - 30);
        // And decimals with a few places, as coordinates and lengths are.
        if (i % 3 == 2)
            value = static_cast<double>(random() % 100000000000000) / std::pow(10.0, i % 10) *
                    (i % 4 ? 1 : -1);
        const std::string shortest = NumberText(value, NumberLayout::Shortest);
        const std::string json = NumberText(value, NumberLayout::Json);
        ASSERT_EQ(Bits(value), Bits(std::strtod(shortest.c_str(), nullptr))) << shortest;
        ASSERT_EQ(Bits(value), Bits(std::strtod(json.c_str(), nullptr))) << json;
        if (std::fabs(value) < 9007199254740992.0)
        {
            ASSERT_EQ(Digits(shortest), Digits(json)) << shortest << ' ' << json;
        }
        char expected[64];
        const auto result = std::to_chars(expected, expected + sizeof expected, value);
        ASSERT_EQ(std::string(expected, result.ptr), shortest);
    }
}

} // namespace

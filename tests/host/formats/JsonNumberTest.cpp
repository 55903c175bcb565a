#include "host/formats/json/JsonNumber.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{

std::string Written(double value)
{
    char buffer[Host::JsonNumberRoom];
    return std::string(buffer, Host::WriteJsonNumber(buffer, value));
}

double FromBits(std::uint64_t bits)
{
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Every kind of double a survey job holds, and those around the limits of the short path: the
// fixed layout's ends, powers of two (whose interval is lopsided), halves of an ulp, whole numbers
// up to 2^53, and values that need all seventeen digits.
std::vector<double> Numbers()
{
    std::vector<double> numbers = {0.0,
                                   -0.0,
                                   1.0,
                                   0.1,
                                   0.1 + 0.2,
                                   1.0 / 3,
                                   2.0 / 3,
                                   1e-4,
                                   9.999999999999999e-5,
                                   0.00012,
                                   1e15,
                                   999999999999999.9,
                                   999999999999999.0,
                                   1e15 - 0.125,
                                   9007199254740992.0,
                                   4503599627370496.5,
                                   123456789012345680.0,
                                   5e-324,
                                   2.2250738585072014e-308,
                                   1.7976931348623157e308,
                                   412345.1234,
                                   5432100.5678,
                                   1.5707963267948966};
    for (int power = -20; power <= 60; ++power)
    {
        const double two = std::ldexp(1.0, power);
        numbers.insert(numbers.end(), {two, std::nextafter(two, 0.0), std::nextafter(two, 1e300)});
    }
    std::mt19937_64 random(91209);
    for (int i = 0; i < 300000; ++i)
    {
        // A decimal of the kind a file gives, read as a converter reads it; up to seventeen
        // digits, where decimals lie as close together as doubles do.
        const int decimals = static_cast<int>(random() % 18);
        std::uint64_t limit = 10;
        for (int length = static_cast<int>(random() % 17); length > 0; --length)
            limit *= 10;
        const std::uint64_t digits = random() % limit;
        const std::string text = std::to_string(digits) + "e-" + std::to_string(decimals);
        numbers.push_back(std::strtod(text.c_str(), nullptr));
        // Converted values: radians from degrees, feet in metres.
        numbers.push_back(static_cast<double>(random() % 3600000) / 10000 *
                          (3.141592653589793 / 180));
        numbers.push_back(static_cast<double>(random() % 1000000) / 1000 * 0.3048);
        // Any double at all.
        numbers.push_back(FromBits(random()));
    }
    return numbers;
}

} // namespace

TEST(JsonNumberTest, WritesEveryDoubleAsTheSerializerDoes)
{
    for (double number : Numbers())
    {
        if (std::isnan(number))
            continue;
        ASSERT_EQ(nlohmann::json(number).dump(), Written(number)) << std::hexfloat << number;
        ASSERT_EQ(nlohmann::json(-number).dump(), Written(-number)) << std::hexfloat << -number;
    }
}

TEST(JsonNumberTest, WritesNullForWhatJsonCannotHold)
{
    for (double number :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()})
        EXPECT_EQ("null", Written(number));
}

#include "host/kit/DisplayUnits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace
{

using Host::AngleDisplay;
using Host::LengthDisplay;

constexpr double Pi = 3.141592653589793;
constexpr double Max = 1.7976931348623157e308;

TEST(DisplayUnitsTest, ConvertsFromTheReceiversUnits)
{
    const struct
    {
        double radians;
        AngleDisplay unit;
        double expected;
    } angles[] = {
        {Pi, AngleDisplay::Degrees, 180.0},
        {Pi / 2, AngleDisplay::Gons, 100.0},
        {-Pi / 4, AngleDisplay::DegreesMinutesSeconds, -45.0},
        {1.245946919767452, AngleDisplay::Degrees, 71.3875},
    };
    for (const auto& c : angles)
    {
        std::optional<double> shown = Host::DisplayAngle(c.radians, c.unit);
        ASSERT_TRUE(shown);
        EXPECT_NEAR(c.expected, *shown, 1e-12) << c.radians;
    }
    const struct
    {
        double metres;
        LengthDisplay unit;
        double expected;
    } lengths[] = {
        {0.3048, LengthDisplay::InternationalFeet, 1.0},
        {1200.0, LengthDisplay::UsSurveyFeet, 3937.0},
        {-30.48, LengthDisplay::InternationalFeet, -100.0},
        {229.99, LengthDisplay::UsSurveyFeet, 754.5588583333333},
    };
    for (const auto& c : lengths)
    {
        std::optional<double> shown = Host::DisplayLength(c.metres, c.unit);
        ASSERT_TRUE(shown);
        EXPECT_NEAR(c.expected, *shown, 1e-9) << c.metres;
    }
}

TEST(DisplayUnitsTest, TheReceiversOwnUnitsComeBackBitForBit)
{
    for (double value : {0.1, -0.0, 1.5803859414072432, 473512.381, Max})
    {
        EXPECT_EQ(value, *Host::DisplayAngle(value, AngleDisplay::Radians));
        EXPECT_EQ(value, *Host::DisplayLength(value, LengthDisplay::Metres));
        EXPECT_EQ(std::signbit(value),
                  std::signbit(*Host::DisplayLength(value, LengthDisplay::Metres)));
    }
}

TEST(DisplayUnitsTest, AValueTooLargeForTheUnitGivesNothingRatherThanInfinity)
{
    EXPECT_FALSE(Host::DisplayAngle(Max, AngleDisplay::Degrees));
    EXPECT_FALSE(Host::DisplayAngle(-Max, AngleDisplay::Gons));
    EXPECT_FALSE(Host::DisplayLength(Max, LengthDisplay::InternationalFeet));
    EXPECT_FALSE(Host::DisplayLength(-Max, LengthDisplay::UsSurveyFeet));
    // Large but representable: the US survey foot divides first.
    std::optional<double> feet = Host::DisplayLength(Max / 4, LengthDisplay::UsSurveyFeet);
    ASSERT_TRUE(feet);
    EXPECT_TRUE(std::isfinite(*feet));
}

TEST(DisplayUnitsTest, SaysWhyAValueCannotBeShown)
{
    using Host::Quantity;
    const struct
    {
        AngleDisplay angle;
        LengthDisplay length;
        Quantity quantity;
        double value;
        const char* why; // null: it can be shown
    } cases[] = {
        {AngleDisplay::Degrees, LengthDisplay::Metres, Quantity::Angle, Max,
         "1.7976931348623157e+308 radians cannot be written in degrees"},
        {AngleDisplay::Radians, LengthDisplay::InternationalFeet, Quantity::Length, -1e308,
         "-1e+308 metres cannot be written in international feet"},
        {AngleDisplay::Radians, LengthDisplay::Metres, Quantity::Length, Max, nullptr},
        {AngleDisplay::Gons, LengthDisplay::UsSurveyFeet, Quantity::Angle, Pi, nullptr},
        {AngleDisplay::Degrees, LengthDisplay::InternationalFeet, Quantity::Temperature, Max,
         nullptr},
    };
    for (const auto& c : cases)
    {
        const std::optional<std::string> why =
            Host::WhyNotShown({c.angle, c.length}, c.quantity, c.value);
        EXPECT_EQ(c.why ? std::optional<std::string>(c.why) : std::nullopt, why) << c.value;
    }
}

TEST(DisplayUnitsTest, DmsTextRoundsToATenthOfASecondAndCarries)
{
    const struct
    {
        double degrees;
        const char* text;
    } cases[] = {
        {90.5, "90°30′00.0″"},
        {71.3875, "71°23′15.0″"},
        {-(12 + 30 / 60.0 + 15 / 3600.0), "-12°30′15.0″"},
        {0.0, "0°00′00.0″"},
        {-0.0, "0°00′00.0″"},
        {-1e-9, "0°00′00.0″"},
        {359 + 59 / 60.0 + 59.96 / 3600.0, "360°00′00.0″"},
        {10 + 59 / 60.0 + 59.96 / 3600.0, "11°00′00.0″"},
        {0.5 / 3600.0 + 1e-12, "0°00′00.5″"},
        {123 + 45 / 60.0 + 30.15 / 3600.0, "123°45′30.2″"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, Host::DmsText(c.degrees)) << c.degrees;
}

TEST(DisplayUnitsTest, SplitDegreesGivesPartsBelowSixty)
{
    const struct
    {
        double degrees;
        bool negative;
        double whole;
        int minutes;
        double seconds;
    } cases[] = {
        {90.5, false, 90, 30, 0.0},
        {-45.25, true, 45, 15, 0.0},
        {0.0, false, 0, 0, 0.0},
        {71.3875, false, 71, 23, 15.0},
    };
    for (const auto& c : cases)
    {
        Host::CDms dms = Host::SplitDegrees(c.degrees);
        EXPECT_EQ(c.negative, dms.negative) << c.degrees;
        EXPECT_EQ(c.whole, dms.degrees) << c.degrees;
        EXPECT_EQ(c.minutes, dms.minutes) << c.degrees;
        EXPECT_NEAR(c.seconds, dms.seconds, 1e-9) << c.degrees;
    }
    for (double degrees : {0.999999999999, 359.99999999999, 12.9999999})
    {
        Host::CDms dms = Host::SplitDegrees(degrees);
        EXPECT_LT(dms.minutes, 60);
        EXPECT_GE(dms.seconds, 0.0);
        EXPECT_LT(dms.seconds, 60.0);
        EXPECT_NEAR(degrees, dms.degrees + dms.minutes / 60.0 + dms.seconds / 3600.0, 1e-9);
    }
}

} // namespace

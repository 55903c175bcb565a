#include "convert/DateConverter.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct MjdCase
{
    const wchar_t* text;
    const wchar_t* expected; // null: not converted
};

const MjdCase kMjdCases[] = {
    {L"58849", L"20200101"},
    {L"58849.75", L"20200101"},
    {L"58849.0", L"20200101"},
    {L"58848.999999", L"20191231"},
    {L"51544", L"20000101"},
    {L"51603", L"20000229"}, // leap day of a century divisible by 400
    {L"15079", L"19000301"}, // 1900 has no 29 February
    {L"15078", L"19000228"},
    {L"0", L"18581117"},
    {L"0.5", L"18581117"},
    {L"000058849", L"20200101"},
    {L"2973483", L"99991231"},
    {L"2973484", nullptr}, // year 10000 does not fit eight digits
    {L"99999999999999999999999", nullptr},
    {L"-1", nullptr},
    {L"+58849", nullptr},
    {L"58849.", nullptr},
    {L".5", nullptr},
    {L"", nullptr},
    {L" 58849", nullptr},
    {L"58849 ", nullptr},
    {L"58 849", nullptr},
    {L"5e4", nullptr},
    {L"58849.7.5", nullptr},
    {L"58849,75", nullptr},
    {L"25/12/2019", nullptr},
    {L"0x10", nullptr},
};

TEST(DateMJDConverter, ReadsPlainModifiedJulianDayNumbers)
{
    const CDateMJDConverter converter;
    for (const MjdCase& c : kMjdCases)
    {
        std::wstring out = L"untouched";
        const bool converted = converter.Convert(c.text, out);
        if (c.expected)
        {
            EXPECT_TRUE(converted) << "text: " << c.text;
            EXPECT_EQ(c.expected, out) << "text: " << c.text;
        }
        else
        {
            EXPECT_FALSE(converted) << "text: " << c.text;
            EXPECT_EQ(L"untouched", out) << "text: " << c.text;
        }
    }
}

// Every day of the range against a calendar counted forward one day at a time.
TEST(DateMJDConverter, AgreesWithACalendarCountedDayByDay)
{
    const CDateMJDConverter converter;
    int year = 1858, month = 11, day = 17;
    const int monthLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::wstring out;
    wchar_t expected[16];
    for (long mjd = 0; mjd <= CDateMJDConverter::MaxDay; ++mjd)
    {
        if (mjd % 97 == 0 || (month == 2 && day >= 28) || (month == 12 && day == 31))
        {
            ASSERT_TRUE(converter.Convert(std::to_wstring(mjd), out)) << mjd;
            swprintf(expected, 16, L"%04d%02d%02d", year, month, day);
            ASSERT_EQ(std::wstring(expected), out) << mjd;
        }
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int length = month == 2 && leap ? 29 : monthLength[month - 1];
        if (++day > length)
        {
            day = 1;
            if (++month > 12)
            {
                month = 1;
                ++year;
            }
        }
    }
    EXPECT_EQ(10000, year);
}

} // namespace
